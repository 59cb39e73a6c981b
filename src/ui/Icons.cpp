#include "Icons.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>

#include <array>
#include <utility>

namespace ondrel::ui {

namespace {

// Freedesktop icon-naming-spec names first, then names common themes (Adwaita, Breeze) add.
// Symbols whose look carries meaning (the orange star) are bundled only.
constexpr std::array<std::pair<const char*, const char*>, 17> themeNames{{
    {"app.dashed", "application-x-executable"},
    {"arrow.up.right", "external-link"},
    {"checkmark", "object-select"},
    {"checkmark.circle", "emblem-ok"},
    {"checkmark.circle.fill", "emblem-ok"},
    {"doc.on.clipboard", "edit-paste"},
    {"doc.on.clipboard.fill", "edit-paste"},
    {"folder", "folder"},
    {"gear", "preferences-system"},
    {"heart.fill", "emblem-favorite"},
    {"list.bullet", "view-list"},
    {"lock.shield", "security-high"},
    {"plus", "list-add"},
    {"power", "system-shutdown"},
    {"trash", "edit-delete"},
    {"xmark.circle.fill", "dialog-error"},
    {"magnifyingglass", "edit-find"},
}};

} // namespace

QIcon bundledIcon(QStringView symbol)
{
    const QString path = QStringLiteral(":/icons/%1.svg").arg(symbol);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

QIcon symbolIcon(QStringView symbol)
{
    QIcon fallback = bundledIcon(symbol);
    for (const auto& [name, themeName] : themeNames) {
        if (symbol == QLatin1String(name))
            return QIcon::fromTheme(QString::fromLatin1(themeName), fallback);
    }
    return fallback;
}

QPixmap tintedSymbol(QStringView symbol, const QColor& color, int size, qreal devicePixelRatio)
{
    QPixmap pixmap = bundledIcon(symbol).pixmap(QSize(size, size), devicePixelRatio);
    if (pixmap.isNull()) {
        // No drawing at all: a plain disc still tells the state by its colour.
        pixmap = QPixmap(QSize(size, size) * devicePixelRatio);
        pixmap.setDevicePixelRatio(devicePixelRatio);
        pixmap.fill(Qt::transparent);
        QPainter disc(&pixmap);
        disc.setRenderHint(QPainter::Antialiasing);
        disc.setPen(Qt::NoPen);
        disc.setBrush(Qt::black);
        disc.drawEllipse(QRect(0, 0, size, size).adjusted(1, 1, -1, -1));
    }
    if (!color.isValid())
        return pixmap;
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRect(QPoint(), pixmap.size()), color);
    return pixmap;
}

} // namespace ondrel::ui
