#include "commands/ScaleText.h"

#include <array>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

// strtod in the C locale, whatever locale the program runs in.
double StrtodC(const char *text, char **end)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
    return strtod_l(text, end, c);
}

} // namespace

double LeadingNumber(const QString &text)
{
    const std::string bytes = text.toStdString();
    return StrtodC(bytes.c_str(), nullptr);
}

std::optional<double> WholeNumber(const QString &text)
{
    const std::string bytes = text.trimmed().toStdString();
    if (bytes.empty())
        return std::nullopt;
    char *end = nullptr;
    const double value = StrtodC(bytes.c_str(), &end);
    if (end != bytes.c_str() + bytes.size())
        return std::nullopt;
    return value;
}

QString FormatScaleSetting(double scale)
{
    // Room for "%f" of the largest double: 309 digits, sign, point, six decimals.
    std::array<char, 330> buffer{};
    const auto [end, ec] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), scale, std::chars_format::fixed, 6);
    if (ec != std::errc())
        return QStringLiteral("1.000000");
    return QString::fromLatin1(buffer.data(), static_cast<int>(end - buffer.data()));
}

bool IsUsableScale(double scale)
{
    return std::isfinite(scale) && LeadingNumber(FormatScaleSetting(scale)) != 0.0;
}

QString FormatScaleField(double scale)
{
    return QString::number(scale, 'g', 15);
}
