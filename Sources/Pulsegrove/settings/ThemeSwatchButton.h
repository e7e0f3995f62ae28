#pragma once

#include "settings/ThemePickerModel.h"

#include <QAbstractButton>
#include <functional>

namespace pulsegrove {

// One swatch of the theme picker: a gradient of its theme's colours over the theme's name, with
// a checkmark and an accent frame while its theme is the current one. It asks for the current
// theme at every repaint, so it never holds a stale selection; it is checked exactly while
// selected, which is how assistive technologies learn which swatch is chosen.
class ThemeSwatchButton : public QAbstractButton {
    Q_OBJECT

public:
    ThemeSwatchButton(QuotaThemeID theme, std::function<QuotaThemeID()> currentTheme,
                      QWidget *parent = nullptr);

    QuotaThemeID theme() const { return m_theme; }
    ThemeOptionStyle style() const;
    // Brings the checked state, tool tip and accessible texts in line with the current theme.
    void refresh();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override;

private:
    qreal nameHeight() const;

    QuotaThemeID m_theme;
    std::function<QuotaThemeID()> m_currentTheme;
};

} // namespace pulsegrove
