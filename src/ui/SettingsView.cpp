#include "SettingsView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ondrel::ui {

SettingsView::SettingsView(UiContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("SettingsView"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("SettingsView"), this), 0, Qt::AlignCenter);
}

} // namespace ondrel::ui
