#pragma once

#include "UiContext.h"

#include "rules/Rule.h"

#include <QWidget>

#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QShortcut;
class QVBoxLayout;

namespace ondrel::ui {

class ApplicationIcons;
class IconTextRow;

// Edits one rule as a draft: nothing reaches the store until Save, Revert throws the edits
// away, and the rule is deleted only after a confirmation.
class RuleEditorView final : public QWidget
{
    Q_OBJECT

public:
    /// Edits the first rule with ruleID in the store; onDelete runs once the user confirmed
    /// deleting it.
    RuleEditorView(UiContext& context, ApplicationIcons& icons, const rules::Uuid& ruleID,
                   std::function<void()> onDelete, QWidget* parent = nullptr);

    const rules::Uuid& ruleID() const { return m_ruleID; }
    const rules::Rule& draft() const { return m_draft; }
    /// Whether the draft holds edits that were neither saved nor reverted.
    bool isDirty() const { return m_isDirty; }

    /// Copies the stored rule into the draft; afterwards nothing counts as unsaved.
    void loadDraft();
    /// Stores the draft (all its fields) and saves the rules file.
    void saveDraft();
    /// Asks whether to delete the rule (named as stored, not as drafted).
    void confirmDelete();
    /// Draws the application's icon again (it may have started or quit).
    void refreshApplicationIcon();

    /// The label of a match mode in the "Match Mode" menu.
    static QString matchModeLabel(rules::URLMatchMode mode);
    /// The pattern field's placeholder for a mode.
    static QString patternPlaceholder(rules::URLMatchMode mode);
    /// The line under a non-empty pattern that says how it matches.
    static QString patternHelp(rules::URLMatchMode mode, const QString& pattern);
    /// The label of a content type in the "Content Type" control.
    static QString contentTypeLabel(rules::RuleContentType type);

private:
    const rules::Rule* storedRule() const;
    QWidget* buildForm();
    void buildIdentitySection(QVBoxLayout* column);
    void buildApplicationSection(QVBoxLayout* column);
    void buildUrlSection(QVBoxLayout* column);
    void buildContentSection(QVBoxLayout* column);
    QWidget* buildActionBar();
    void showDraft();
    void showApplication();
    void showUrlFilter();
    void showCharacterCount();
    void setDirty(bool dirty);
    void edited();
    void chooseApplication();

    UiContext& m_context;
    ApplicationIcons& m_icons;
    rules::Uuid m_ruleID;
    std::function<void()> m_onDelete;
    rules::Rule m_draft;
    bool m_isDirty = false;
    bool m_showingDraft = false;

    QLineEdit* m_name = nullptr;
    QCheckBox* m_enabled = nullptr;
    IconTextRow* m_application = nullptr;
    QCheckBox* m_requireUrl = nullptr;
    QFormLayout* m_urlForm = nullptr;
    QComboBox* m_matchMode = nullptr;
    QLineEdit* m_pattern = nullptr;
    QLabel* m_patternHelp = nullptr;
    QButtonGroup* m_contentType = nullptr;
    QPlainTextEdit* m_content = nullptr;
    QLabel* m_characterCount = nullptr;
    QLabel* m_unsaved = nullptr;
    QPushButton* m_revert = nullptr;
    QPushButton* m_save = nullptr;
    QShortcut* m_saveShortcut = nullptr;
};

} // namespace ondrel::ui
