#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace ondrel::ui {

// One permission: a status icon beside the title, a description, and either "Granted", an
// action button, or a note saying why nothing can be done.
class PermissionRow final : public QWidget
{
    Q_OBJECT

public:
    PermissionRow(const QString& title, const QString& description, QWidget* parent = nullptr);

    /// The green check and "Granted".
    void showGranted();
    /// The red cross and a button running action.
    void showAction(const QString& buttonTitle, std::function<void()> action);
    /// The red cross and a note instead of a button.
    void showNote(const QString& note);

    bool isGranted() const { return m_granted; }
    QPushButton* button() const { return m_button; }

private:
    void setIcon(const char* symbol, const QColor& color);

    QLabel* m_icon;
    QLabel* m_grantedLabel;
    QLabel* m_note;
    QPushButton* m_button;
    std::function<void()> m_action;
    bool m_granted = false;
};

} // namespace ondrel::ui
