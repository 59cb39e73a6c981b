#pragma once

#include <QFrame>
#include <QString>
#include <QWidget>

namespace ondrel::ui {

/// Names a widget the user acts on, for tests (objectName) and for assistive technologies and
/// end-to-end tests (accessible name).
inline void nameWidget(QWidget& widget, const QString& objectName, const QString& accessibleName)
{
    widget.setObjectName(objectName);
    widget.setAccessibleName(accessibleName);
}

/// A thin horizontal line between the parts of a column.
inline QFrame* horizontalDivider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace ondrel::ui
