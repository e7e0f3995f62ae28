#include "theme/QuotaTheme.h"

#include "UserDefaults.h"
#include "preferences/PulsegrovePreferenceKeys.h"

namespace pulsegrove {

QuotaThemeID QuotaTheme::selected()
{
    const auto stored = UserDefaults::standard()->stringValue(PulsegrovePreferenceKeys::theme);
    return stored ? QuotaThemeIDs::fromRawValue(*stored).value_or(QuotaThemeID::aurora)
                  : QuotaThemeID::aurora;
}

const QColor &QuotaTheme::border()
{
    static const QColor color = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.1f);
    return color;
}

const QColor &QuotaTheme::secondaryText()
{
    static const QColor color = QColor::fromRgbF(0.62f, 0.68f, 0.76f);
    return color;
}

} // namespace pulsegrove
