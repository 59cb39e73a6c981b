// Every bundled symbol drawing, at the sizes the interface uses, to check them by eye.
#include "Scene.h"

#include "ui/Icons.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>

namespace ondrel::screenshots {

ONDREL_SCENE("symbols", "every bundled symbol drawing at 16, 24 and 40 pixels", QSize(),
             [](test::UiTestContext&) -> std::unique_ptr<QWidget> {
                 auto sheet = std::make_unique<QWidget>();
                 auto* grid = new QGridLayout(sheet.get());
                 const QStringList files =
                     QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")});
                 int row = 0;
                 for (const QString& file : files) {
                     const QString symbol = file.chopped(4);
                     grid->addWidget(new QLabel(symbol, sheet.get()), row, 0);
                     int column = 1;
                     for (const int size : {16, 24, 40}) {
                         auto* image = new QLabel(sheet.get());
                         image->setPixmap(
                             ui::tintedSymbol(symbol, QColor(), size, sheet->devicePixelRatioF()));
                         grid->addWidget(image, row, column++);
                     }
                     ++row;
                 }
                 return sheet;
             });

} // namespace ondrel::screenshots
