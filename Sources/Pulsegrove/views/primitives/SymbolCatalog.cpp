#include "views/primitives/SymbolCatalog.h"

#include <QDir>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace pulsegrove {

namespace {

struct SymbolEntry {
    const char *symbolName;
    const char *iconName;
};

// Chosen by the picture, not the name: Adwaita has no sparkles, sliders or charts, so the
// nearest pictogram that reads the same at small sizes stands in.
constexpr SymbolEntry symbolTable[] = {
    {"arrow.clockwise", "view-refresh-symbolic"},
    {"arrow.counterclockwise", "object-rotate-left-symbolic"},
    {"arrow.counterclockwise.circle", "object-rotate-left-symbolic"},
    {"arrow.triangle.2.circlepath.circle.fill", "emblem-synchronizing-symbolic"},
    {"bolt.circle", "thunderbolt-symbolic"},
    {"bolt.horizontal.circle.fill", "thunderbolt-symbolic"},
    {"bolt.horizontal.fill", "thunderbolt-symbolic"},
    {"bolt.slash.circle", "action-unavailable-symbolic"},
    {"calendar", "x-office-calendar-symbolic"},
    {"chart.bar.xaxis", "network-cellular-signal-excellent-symbolic"},
    {"chart.xyaxis.line", "x-office-presentation-symbolic"},
    {"checkmark.circle.fill", "emblem-default-symbolic"},
    {"chevron.down", "pan-down-symbolic"},
    {"clock", "preferences-system-time-symbolic"},
    {"clock.badge.exclamationmark", "appointment-soon-symbolic"},
    {"cpu", "drive-harddisk-solidstate-symbolic"},
    {"dock.rectangle", "view-app-grid-symbolic"},
    {"ellipsis", "view-more-horizontal-symbolic"},
    {"exclamationmark.triangle", "dialog-warning-symbolic"},
    {"gauge.with.dots.needle.33percent", "power-profile-balanced-symbolic"},
    {"gear", "emblem-system-symbolic"},
    {"info.circle", "help-about-symbolic"},
    {"laptopcomputer", "computer-symbolic"},
    {"memorychip", "media-flash-symbolic"},
    {"menubar.rectangle", "focus-top-bar-symbolic"},
    {"paintpalette.fill", "applications-graphics-symbolic"},
    {"rectangle.3.group", "view-grid-symbolic"},
    {"shield.lefthalf.filled", "security-high-symbolic"},
    {"slider.horizontal.3", "preferences-system-symbolic"},
    {"sparkles", "starred-symbolic"},
    {"sunrise", "daytime-sunrise-symbolic"},
    {"thermometer.medium", "power-profile-performance-symbolic"},
};

// The Adwaita file of an icon name, searched in every XDG data folder; empty when absent.
QString adwaitaIconPath(const QString &iconName)
{
    const QString fileName = iconName + QStringLiteral(".svg");
    const QStringList dataFolders = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString &dataFolder : dataFolders) {
        const QDir scalable(dataFolder + QStringLiteral("/icons/Adwaita/scalable"));
        const QStringList contexts = scalable.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &context : contexts) {
            const QString candidate = scalable.filePath(context + QLatin1Char('/') + fileName);
            if (QFileInfo::exists(candidate))
                return candidate;
        }
    }
    return {};
}

QIcon loadIcon(const QString &iconName)
{
    const QString path = adwaitaIconPath(iconName);
    if (!path.isEmpty())
        return QIcon(path);
    return QIcon::fromTheme(iconName);
}

} // namespace

std::optional<QString> SymbolCatalog::iconName(const QString &symbolName)
{
    const auto entry =
        std::find_if(std::begin(symbolTable), std::end(symbolTable),
                     [&](const SymbolEntry &e) { return symbolName == QLatin1String(e.symbolName); });
    if (entry == std::end(symbolTable))
        return std::nullopt;
    return QString::fromLatin1(entry->iconName);
}

QStringList SymbolCatalog::symbolNames()
{
    QStringList names;
    for (const SymbolEntry &entry : symbolTable)
        names.append(QString::fromLatin1(entry.symbolName));
    names.sort();
    return names;
}

QIcon SymbolCatalog::icon(const QString &symbolName)
{
    const std::optional<QString> name = iconName(symbolName);
    if (!name)
        return {};
    // Icons are looked up once per run; the views draw them on every repaint.
    static QHash<QString, QIcon> cache;
    const auto cached = cache.constFind(*name);
    if (cached != cache.constEnd())
        return *cached;
    const QIcon loaded = loadIcon(*name);
    cache.insert(*name, loaded);
    return loaded;
}

bool SymbolCatalog::paint(QPainter &painter, const QRectF &rect, const QString &symbolName,
                          const QBrush &brush)
{
    const QIcon symbolIcon = icon(symbolName);
    const int side = qRound(std::min(rect.width(), rect.height()));
    if (symbolIcon.isNull() || side <= 0)
        return false;
    const QRectF square(rect.center() - QPointF(side / 2.0, side / 2.0), QSizeF(side, side));
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const int pixels = static_cast<int>(std::ceil(side * ratio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter imagePainter(&image);
        imagePainter.setRenderHint(QPainter::Antialiasing);
        symbolIcon.paint(&imagePainter, QRect(0, 0, side, side));
        // Keep the icon's coverage, replace its colour; the brush is placed as on the target.
        imagePainter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        imagePainter.translate(-square.topLeft());
        imagePainter.fillRect(square, brush);
    }
    painter.drawImage(square, image);
    return true;
}

} // namespace pulsegrove
