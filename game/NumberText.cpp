#include "NumberText.h"

#include <cmath>

namespace NumberText {

namespace {

// Fifteen significant digits, as many as a double keeps exactly in decimal.
QString plainDigits(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    text.replace(QLatin1Char('e'), QLatin1Char('E'));
    return text;
}

} // namespace

QString format(double value)
{
    if (std::isnan(value))
        return QStringLiteral(" 0");
    QString text = plainDigits(value);
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("-0.")))
        text.remove(1, 1);
    if (!text.startsWith(QLatin1Char('-')))
        text.prepend(QLatin1Char(' '));
    return text;
}

QString format(long long value)
{
    const QString digits = QString::number(value);
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}

QString display(double value)
{
    if (std::isnan(value))
        return QStringLiteral("0");
    return plainDigits(value);
}

QString display(long long value)
{
    return QString::number(value);
}

double leadingNumber(const QString &text)
{
    int i = 0;
    const int n = static_cast<int>(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const int start = i;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    int digits = 0;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

} // namespace NumberText
