#include "ui/window/menu_values.hpp"

#include "convert/numeric_value.hpp"

#include <charconv>
#include <cmath>
#include <string>

namespace zum {

std::int16_t TimeZoneItemFor(std::int16_t offset) {
    if (offset == 0) {
        return 0;
    }
    if (offset >= -8 && offset <= -4) {
        return static_cast<std::int16_t>(-offset);
    }
    return kTypedOffsetItem;
}

std::int16_t DistanceUnitsItemFor(std::int16_t distanceUnits) {
    for (const MenuItem& item : kDistanceUnitItems) {
        if (item.index == distanceUnits) {
            return distanceUnits;
        }
    }
    return kDefaultDistanceUnits;
}

std::optional<std::int16_t> ComSpeedItemFor(std::string_view comSpeedIndex) {
    const std::optional<std::int16_t> value = RoundToInt16(NumericValue(comSpeedIndex));
    if (value) {
        for (const MenuItem& item : kComSpeedItems) {
            if (item.index == *value) {
                return value;
            }
        }
    }
    return std::nullopt;
}

double ReplyNumber(const QString& reply) {
    const QByteArray text = reply.toUtf8();
    return NumericValue(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

std::optional<std::int16_t> ReplyInt16(const QString& reply) {
    return RoundToInt16(ReplyNumber(reply));
}

QString GeneralNumberText(double value) {
    if (!std::isfinite(value) || value == 0.0) {
        return QStringLiteral("0");
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
    return text.replace(QLatin1Char('e'), QLatin1Char('E'));
}

} // namespace zum
