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

/// The bundled drawing (else the theme's) painted in one colour, for symbols whose colour
/// carries meaning; a plain disc of that colour when there is no drawing at all.
QPixmap tintedSymbol(QStringView symbol, const QColor& color, int size);

} // namespace ondrel::ui
