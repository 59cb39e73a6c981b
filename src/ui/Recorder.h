#pragma once

#include "RecorderCocoa.h"

#include <QWidget>

class QLabel;

namespace ondrel::ui {

// A shortcut recorder with an optional label before it, in one row.
class Recorder final : public QWidget
{
    Q_OBJECT

public:
    /// With the title as label; an empty title shows the control alone.
    Recorder(UiContext& context, const QString& title, shortcuts::Name name,
             RecorderCocoa::OnChange onChange = {}, QWidget* parent = nullptr);
    /// With a label of the caller's making (taken over as a child), or none.
    Recorder(UiContext& context, QWidget* label, shortcuts::Name name,
             RecorderCocoa::OnChange onChange = {}, QWidget* parent = nullptr);

    bool hasLabel() const { return m_label != nullptr; }
    RecorderCocoa& control() { return *m_control; }
    /// Shows another name's shortcut (the onChange given at construction stays).
    void setName(const shortcuts::Name& name) { m_control->setShortcutName(name); }

private:
    QWidget* m_label = nullptr;
    RecorderCocoa* m_control = nullptr;
};

} // namespace ondrel::ui
