#include "PermissionsView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ondrel::ui {

PermissionsView::PermissionsView(UiContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("PermissionsView"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("PermissionsView"), this), 0, Qt::AlignCenter);
}

} // namespace ondrel::ui
