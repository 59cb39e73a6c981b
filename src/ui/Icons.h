#pragma once

#include <QIcon>
#include <QStringView>

namespace ondrel::ui {

/// The icon for a symbol name ("gear", "doc.on.clipboard"): the desktop theme's equivalent when the
/// theme has one, else the drawing bundled as :/icons/<symbol>.svg, else an empty icon.
QIcon symbolIcon(QStringView symbol);

/// The bundled drawing only, ignoring the theme (for icons whose colour carries meaning).
QIcon bundledIcon(QStringView symbol);

} // namespace ondrel::ui
