#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QVBoxLayout;

namespace ondrel::ui {

// One section of a grouped form: an optional header, a framed box of rows, an optional footer in
// caption size and secondary colour.
class FormSection final : public QWidget
{
    Q_OBJECT

public:
    explicit FormSection(const QString& header = {}, QWidget* parent = nullptr);

    /// Appends a row that spans the box.
    void addRow(QWidget* row);
    /// Appends a row with text at the leading edge and trailing at the trailing edge.
    QLabel* addRow(const QString& leading, QWidget* trailing);
    /// Sets the footer text below the box.
    QLabel* setFooter(const QString& text);

private:
    QVBoxLayout* m_rows;
    QVBoxLayout* m_layout;
    QLabel* m_footer = nullptr;
};

} // namespace ondrel::ui
