#include "editor/ScaleText.h"

#include <QTest>

#include <clocale>
#include <cmath>
#include <limits>

class tst_ScaleText : public QObject
{
    Q_OBJECT

private slots:
    void leadingNumber_data();
    void leadingNumber();
    void wholeNumber_data();
    void wholeNumber();
    void formats_data();
    void formats();
    void ignoresTheUsersLocale();
};

void tst_ScaleText::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "2.500000" << 2.5;
    QTest::newRow("leading spaces") << "  \t1.5" << 1.5;
    QTest::newRow("trailing letters") << "3.25abc" << 3.25;
    QTest::newRow("letters only") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("negative") << "-0.75" << -0.75;
    QTest::newRow("exponent") << "1e-3" << 0.001;
    QTest::newRow("comma is not a point") << "2,5" << 2.0;
    QTest::newRow("double sign") << "+-2" << 0.0;
}

void tst_ScaleText::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(LeadingNumber(text), value);
}

void tst_ScaleText::wholeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("value");
    QTest::newRow("decimal") << "2.5" << true << 2.5;
    QTest::newRow("negative") << "-1" << true << -1.0;
    QTest::newRow("exponent") << "1e-3" << true << 0.001;
    QTest::newRow("surrounding spaces") << "  4 " << true << 4.0;
    QTest::newRow("explicit plus") << "+3" << true << 3.0;
    QTest::newRow("zero is a number") << "0" << true << 0.0;
    QTest::newRow("trailing letters") << "2.5x" << false << 0.0;
    QTest::newRow("two numbers") << "1 2" << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("spaces only") << "   " << false << 0.0;
    QTest::newRow("comma decimal") << "2,5" << false << 0.0;
}

void tst_ScaleText::wholeNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(double, value);
    const auto parsed = WholeNumber(text);
    QCOMPARE(parsed.has_value(), accepted);
    if (accepted)
        QCOMPARE(*parsed, value);
}

void tst_ScaleText::formats_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("field");
    QTest::newRow("one") << 1.0 << "1.000000" << "1";
    QTest::newRow("two and a half") << 2.5 << "2.500000" << "2.5";
    QTest::newRow("negative") << -0.125 << "-0.125000" << "-0.125";
    QTest::newRow("tiny rounds in the setting") << 1e-7 << "0.000000" << "1e-07";
    QTest::newRow("fifteen digits") << 1.0 / 3 << "0.333333" << "0.333333333333333";
    QTest::newRow("large") << 123456789.5 << "123456789.500000" << "123456789.5";
}

void tst_ScaleText::formats()
{
    QFETCH(double, scale);
    QFETCH(QString, setting);
    QFETCH(QString, field);
    QCOMPARE(FormatScaleSetting(scale), setting);
    QCOMPARE(FormatScaleField(scale), field);
}

void tst_ScaleText::ignoresTheUsersLocale()
{
    // A locale with a decimal comma, if the machine has one.
    const char *german = std::setlocale(LC_ALL, "de_DE.UTF-8");
    if (!german)
        german = std::setlocale(LC_ALL, "C.UTF-8");
    QCOMPARE(FormatScaleSetting(2.5), QStringLiteral("2.500000"));
    QCOMPARE(LeadingNumber("2.5"), 2.5);
    QCOMPARE(WholeNumber("2.5").value_or(0), 2.5);
    std::setlocale(LC_ALL, "C");
}

QTEST_GUILESS_MAIN(tst_ScaleText)
#include "tst_scaletext.moc"
