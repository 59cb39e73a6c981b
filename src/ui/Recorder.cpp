#include "Recorder.h"

#include <QHBoxLayout>
#include <QLabel>

#include <utility>

namespace ondrel::ui {

Recorder::Recorder(UiContext& context, const QString& title, shortcuts::Name name,
                   RecorderCocoa::OnChange onChange, QWidget* parent)
    : Recorder(context, title.isEmpty() ? nullptr : new QLabel(title), std::move(name),
               std::move(onChange), parent)
{}

Recorder::Recorder(UiContext& context, QWidget* label, shortcuts::Name name,
                   RecorderCocoa::OnChange onChange, QWidget* parent)
    : QWidget(parent), m_label(label),
      m_control(new RecorderCocoa(context, std::move(name), std::move(onChange), this))
{
    setObjectName(QStringLiteral("Recorder"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins({});
    if (m_label) {
        m_label->setParent(this);
        layout->addWidget(m_label, 0, Qt::AlignBaseline);
        if (auto* text = qobject_cast<QLabel*>(m_label)) {
            text->setBuddy(m_control);
            m_control->setAccessibleName(text->text());
        }
    }
    layout->addWidget(m_control, 0, Qt::AlignBaseline);
}

} // namespace ondrel::ui
