#pragma once

#include "FakeTrayIcon.h"
#include "TrayHost.h"

#include <QPointer>

namespace pulsegrove {

// A tray whose host comes and goes by hand; it keeps a pointer to the last icon it made.
class FakeTrayHost final : public TrayHost {
    Q_OBJECT
public:
    explicit FakeTrayHost(TrayHostKind kind = TrayHostKind::xembed, QObject *parent = nullptr)
        : TrayHost(parent), m_kind(kind)
    {
    }

    TrayHostKind kind() const override { return m_kind; }
    std::unique_ptr<TrayIcon> createIcon() override
    {
        auto icon = std::make_unique<FakeTrayIcon>();
        icon->iconGeometry = nextIconGeometry;
        lastIcon = icon.get();
        ++iconsCreated;
        return icon;
    }
    PopupPlacement popupPlacement() const override { return placement; }

    void setKind(TrayHostKind kind)
    {
        if (kind == m_kind)
            return;
        m_kind = kind;
        Q_EMIT kindChanged();
    }

    QPointer<FakeTrayIcon> lastIcon;
    int iconsCreated = 0;
    QRect nextIconGeometry;
    PopupPlacement placement = PopupPlacement::anchored;

private:
    TrayHostKind m_kind;
};

} // namespace pulsegrove
