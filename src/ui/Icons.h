#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QStringView>

namespace ondrel::ui {

/// The icon for a symbol name ("gear", "doc.on.clipboard"): the desktop theme's equivalent when the
/// theme has one, else the drawing bundled as :/icons/<symbol>.svg, else an empty icon.
QIcon symbolIcon(QStringView symbol);

/// The bundled drawing only, ignoring the theme (for icons whose colour carries meaning).
QIcon bundledIcon(QStringView symbol);

/// The bundled drawing at size x size device-independent pixels painted in one colour (the
/// drawings are monochrome); an invalid colour keeps the drawing's own colours, as for the
/// orange star. A plain disc of that colour when there is no drawing at all.
QPixmap tintedSymbol(QStringView symbol, const QColor& color, int size,
                     qreal devicePixelRatio = 1.0);

} // namespace ondrel::ui
