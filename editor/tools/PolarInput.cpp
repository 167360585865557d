#include "tools/PolarInput.h"

#include "model/Copies.h"

#include <cmath>

namespace {

// Parentheses deeper than this are refused: each level is a few frames of
// the stack, and a pasted text could otherwise nest thousands.
constexpr int MaxNesting = 100;

// A piece of the text in a reason, cut short: the field holds up to 32,767
// characters, and the reason must fit below it.
QString Quoted(QStringView text)
{
    constexpr qsizetype Longest = 12;
    return u'"' + (text.size() > Longest ? text.left(Longest).toString() + u'\u2026' : text.toString()) + u'"';
}

// Recursive descent over: sum = product {(+|-) product}; product = factor
// {(*|/) factor}; factor = {+|-} primary; primary = number | ( sum ). Signs
// are counted in a loop and only parentheses nest, up to MaxNesting.
class CExpression
{
public:
    explicit CExpression(const QString &text)
        : m_text(text)
    {
    }

    std::variant<double, QString> Value()
    {
        const double value = Sum();
        if (m_error.isEmpty() && Peek() != QChar())
            Fail(Peek() == u')' ? QStringLiteral("A ) has no ( before it.")
                                : QStringLiteral("\"%1\" is not part of a number or of + - * / ( ).").arg(Peek()));
        if (m_error.isEmpty() && !std::isfinite(value))
            Fail(QStringLiteral("The value is too large."));
        if (!m_error.isEmpty())
            return m_error;
        return value;
    }

private:
    QChar Peek()
    {
        while (m_at < m_text.size() && m_text[m_at].isSpace())
            ++m_at;
        return m_at < m_text.size() ? m_text[m_at] : QChar();
    }

    void Fail(const QString &why)
    {
        if (m_error.isEmpty())
            m_error = why;
        m_at = m_text.size();
    }

    double Sum()
    {
        double value = Product();
        for (QChar op = Peek(); op == u'+' || op == u'-'; op = Peek()) {
            ++m_at;
            const double right = Product();
            value = op == u'+' ? value + right : value - right;
        }
        return value;
    }

    double Product()
    {
        double value = Factor();
        for (QChar op = Peek(); op == u'*' || op == u'/'; op = Peek()) {
            ++m_at;
            const double right = Factor();
            if (op == u'/' && right == 0.0 && m_error.isEmpty())
                Fail(QStringLiteral("Division by zero."));
            value = op == u'*' ? value * right : value / right;
        }
        return value;
    }

    double Factor()
    {
        bool negative = false;
        for (QChar c = Peek(); c == u'+' || c == u'-'; c = Peek()) {
            negative ^= c == u'-';
            ++m_at;
        }
        const double value = Primary();
        return negative ? -value : value;
    }

    double Primary()
    {
        const QChar c = Peek();
        if (c == u'(') {
            if (m_nesting == MaxNesting) {
                Fail(QStringLiteral("Parentheses are nested too deeply: at most %1 levels.").arg(MaxNesting));
                return 0.0;
            }
            ++m_at;
            ++m_nesting;
            const double value = Sum();
            --m_nesting;
            if (Peek() != u')')
                Fail(QStringLiteral("A ( is not closed."));
            ++m_at;
            return value;
        }
        // The longest run that reads as a number, in C notation.
        qsizetype end = m_at;
        while (end < m_text.size() && (m_text[end].isDigit() || m_text[end] == u'.'))
            ++end;
        if (end < m_text.size() && end > m_at && (m_text[end] == u'e' || m_text[end] == u'E')) {
            qsizetype exponent = end + 1;
            if (exponent < m_text.size() && (m_text[exponent] == u'+' || m_text[exponent] == u'-'))
                ++exponent;
            if (exponent < m_text.size() && m_text[exponent].isDigit()) {
                end = exponent;
                while (end < m_text.size() && m_text[end].isDigit())
                    ++end;
            }
        }
        bool ok = false;
        const double value = m_text.mid(m_at, end - m_at).toDouble(&ok);
        if (!ok) {
            Fail(c.isNull() ? QStringLiteral("A number is missing at the end.")
                 : end > m_at ? Quoted(QStringView(m_text).mid(m_at, end - m_at)) + QStringLiteral(" is not a number.")
                 : c == u')' || c == u'*' || c == u'/'
                     ? QStringLiteral("A number is missing before \"%1\".").arg(c)
                     : QStringLiteral("\"%1\" is not part of a number or of + - * / ( ).").arg(c));
            return 0.0;
        }
        m_at = end;
        return value;
    }

    const QString &m_text;
    qsizetype m_at = 0;
    int m_nesting = 0;
    QString m_error;
};

} // namespace

std::variant<double, QString> Evaluate(const QString &expression)
{
    return CExpression(expression).Value();
}

std::variant<PolarPoint, QString> ParsePolar(const QString &text)
{
    const QStringList sides = text.split(u'<');
    if (sides.size() != 2)
        return QStringLiteral("Type the radius, <, then the angle in degrees, for example 100<45.");
    const auto radius = Evaluate(sides[0]);
    if (const QString *why = std::get_if<QString>(&radius))
        return QStringLiteral("Radius: ") + (sides[0].trimmed().isEmpty() ? QStringLiteral("it is missing.") : *why);
    const auto angle = Evaluate(sides[1]);
    if (const QString *why = std::get_if<QString>(&angle))
        return QStringLiteral("Angle: ") + (sides[1].trimmed().isEmpty() ? QStringLiteral("it is missing.") : *why);
    const double radians = std::get<double>(angle) * Pi / 180;
    if (!std::isfinite(radians))
        return QStringLiteral("Angle: The value is too large.");
    return PolarPoint{NormalisedAngle(radians), std::get<double>(radius)};
}
