#include "GeneralSettingsView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ondrel::ui {

GeneralSettingsView::GeneralSettingsView(UiContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("GeneralSettingsView"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("GeneralSettingsView"), this), 0, Qt::AlignCenter);
}

} // namespace ondrel::ui
