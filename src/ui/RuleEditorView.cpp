#include "RuleEditorView.h"

#include "AppPickerSheet.h"
#include "ApplicationIcons.h"
#include "FormSection.h"
#include "IconTextRow.h"
#include "LocalizedText.h"
#include "TextStyle.h"
#include "WidgetHelpers.h"

#include "rules/RuleStore.h"

#include "platform/Platform.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

namespace ondrel::ui {

using rules::RuleContentType;
using rules::URLMatchMode;

namespace {

constexpr int kApplicationIconSize = 32;
constexpr int kContentMinimumHeight = 120;

// A grouped-form section with the given title; returns the widget inside its box, whose layout
// (without margins of its own) the caller sets.
QWidget* section(const QString& title, QVBoxLayout* column)
{
    auto* framed = new FormSection(title, column->parentWidget());
    column->addWidget(framed);
    auto* rows = new QWidget(framed);
    framed->addRow(rows);
    return rows;
}

} // namespace

RuleEditorView::RuleEditorView(UiContext& context, ApplicationIcons& icons,
                               const rules::Uuid& ruleID, std::function<void()> onDelete,
                               QWidget* parent)
    : QWidget(parent), m_context(context), m_icons(icons), m_ruleID(ruleID),
      m_onDelete(std::move(onDelete))
{
    setObjectName(QStringLiteral("RuleEditorView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ruleForm"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(buildForm());
    layout->addWidget(scroll, 1);
    layout->addWidget(horizontalDivider(this));
    layout->addWidget(buildActionBar());

    loadDraft();
}

const rules::Rule* RuleEditorView::storedRule() const
{
    for (const auto& rule : m_context.ruleStore.rules()) {
        if (rule.id == m_ruleID)
            return &rule;
    }
    return nullptr;
}

QWidget* RuleEditorView::buildForm()
{
    auto* form = new QWidget;
    auto* column = new QVBoxLayout(form);
    buildIdentitySection(column);
    buildApplicationSection(column);
    buildUrlSection(column);
    buildContentSection(column);
    column->addStretch(1);
    return form;
}

void RuleEditorView::buildIdentitySection(QVBoxLayout* column)
{
    auto* box = section(QStringLiteral("Identity"), column);
    auto* form = new QFormLayout(box);
    form->setContentsMargins({});

    m_name = new QLineEdit(box);
    nameWidget(*m_name, QStringLiteral("ruleNameField"), QStringLiteral("Rule Name"));
    connect(m_name, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_draft.name = text.toStdString();
        edited();
    });
    form->addRow(QStringLiteral("Rule Name"), m_name);

    m_enabled = new QCheckBox(QStringLiteral("Enabled"), box);
    nameWidget(*m_enabled, QStringLiteral("enabledSwitch"), QStringLiteral("Enabled"));
    connect(m_enabled, &QCheckBox::clicked, this, [this](bool checked) {
        m_draft.isEnabled = checked;
        edited();
    });
    form->addRow(m_enabled);
}

void RuleEditorView::buildApplicationSection(QVBoxLayout* column)
{
    auto* box = section(QStringLiteral("Application"), column);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins({});
    m_application = new IconTextRow(kApplicationIconSize, 10, box);
    m_application->setObjectName(QStringLiteral("applicationRow"));
    m_application->layout()->setContentsMargins(0, 0, 0, 0);
    auto* change = new QPushButton(QStringLiteral("Change..."), m_application);
    nameWidget(*change, QStringLiteral("changeApplicationButton"), QStringLiteral("Change..."));
    connect(change, &QPushButton::clicked, this, &RuleEditorView::chooseApplication);
    m_application->addTrailing(change);
    layout->addWidget(m_application);
}

void RuleEditorView::buildUrlSection(QVBoxLayout* column)
{
    auto* box = section(QStringLiteral("URL Filter (optional)"), column);
    m_urlForm = new QFormLayout(box);
    m_urlForm->setContentsMargins({});

    m_requireUrl = new QCheckBox(QStringLiteral("Require URL match"), box);
    nameWidget(*m_requireUrl, QStringLiteral("requireUrlSwitch"),
               QStringLiteral("Require URL match"));
    connect(m_requireUrl, &QCheckBox::clicked, this, [this](bool checked) {
        // Switching off forgets the typed pattern; the mode stays for the next time.
        m_draft.urlPattern = checked ? std::optional<std::string>(std::string()) : std::nullopt;
        showUrlFilter();
        edited();
    });
    m_urlForm->addRow(m_requireUrl);

    m_matchMode = new QComboBox(box);
    nameWidget(*m_matchMode, QStringLiteral("matchModeMenu"), QStringLiteral("Match Mode"));
    for (const auto mode : rules::allURLMatchModes)
        m_matchMode->addItem(matchModeLabel(mode), static_cast<int>(mode));
    connect(m_matchMode, &QComboBox::activated, this, [this](int index) {
        m_draft.urlMatchMode = static_cast<URLMatchMode>(m_matchMode->itemData(index).toInt());
        showUrlFilter();
        edited();
    });
    m_urlForm->addRow(QStringLiteral("Match Mode"), m_matchMode);

    m_pattern = new QLineEdit(box);
    nameWidget(*m_pattern, QStringLiteral("urlPatternField"), QStringLiteral("URL Pattern"));
    connect(m_pattern, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_draft.urlPattern = text.toStdString();
        showUrlFilter();
        edited();
    });
    m_urlForm->addRow(m_pattern);

    m_patternHelp = new QLabel(box);
    m_patternHelp->setObjectName(QStringLiteral("urlPatternHelp"));
    m_patternHelp->setWordWrap(true);
    m_urlForm->addRow(m_patternHelp);
    applyTextStyle(*m_patternHelp, TextStyle::caption, TextTone::secondary);
}

void RuleEditorView::buildContentSection(QVBoxLayout* column)
{
    auto* box = section(QStringLiteral("Content"), column);
    auto* form = new QFormLayout(box);
    form->setContentsMargins({});

    auto* segments = new QWidget(box);
    segments->setObjectName(QStringLiteral("contentTypeControl"));
    segments->setAccessibleName(QStringLiteral("Content Type"));
    auto* segmentRow = new QHBoxLayout(segments);
    segmentRow->setContentsMargins(0, 0, 0, 0);
    segmentRow->setSpacing(0);
    m_contentType = new QButtonGroup(this);
    for (const auto type : rules::allRuleContentTypes) {
        auto* button = new QPushButton(contentTypeLabel(type), segments);
        nameWidget(
            *button,
            QStringLiteral("contentType_%1")
                .arg(QString::fromUtf8(rules::rawValue(type).data(),
                                       static_cast<qsizetype>(rules::rawValue(type).size()))),
            contentTypeLabel(type));
        button->setCheckable(true);
        m_contentType->addButton(button, static_cast<int>(type));
        segmentRow->addWidget(button);
    }
    segmentRow->addStretch(1);
    connect(m_contentType, &QButtonGroup::idClicked, this, [this](int id) {
        m_draft.contentType = static_cast<RuleContentType>(id);
        edited();
    });
    form->addRow(QStringLiteral("Content Type"), segments);

    m_content = new QPlainTextEdit(box);
    nameWidget(*m_content, QStringLiteral("contentEditor"), QStringLiteral("Content"));
    m_content->setTabChangesFocus(true);
    m_content->setMinimumHeight(kContentMinimumHeight);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(styledFont(TextStyle::body).pointSizeF());
    m_content->setFont(mono);
    QColor outline = toneColor(*this, TextTone::secondary);
    outline.setAlphaF(outline.alphaF() * 0.3f);
    m_content->setStyleSheet(
        QStringLiteral("QPlainTextEdit#contentEditor { border: 1px solid %1; border-radius: 6px; }")
            .arg(outline.name(QColor::HexArgb)));
    connect(m_content, &QPlainTextEdit::textChanged, this, [this] {
        if (m_showingDraft)
            return;
        m_draft.content = m_content->toPlainText().toStdString();
        showCharacterCount();
        edited();
    });
    form->addRow(m_content);

    m_characterCount = new QLabel(box);
    m_characterCount->setObjectName(QStringLiteral("characterCount"));
    m_characterCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    applyTextStyle(*m_characterCount, TextStyle::caption, TextTone::tertiary);
    form->addRow(m_characterCount);
}

QWidget* RuleEditorView::buildActionBar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("actionBar"));
    auto* row = new QHBoxLayout(bar);

    m_unsaved = new QLabel(QStringLiteral("Unsaved changes"), bar);
    m_unsaved->setObjectName(QStringLiteral("unsavedChangesLabel"));
    applyTextStyle(*m_unsaved, TextStyle::caption, TextTone::secondary);
    row->addWidget(m_unsaved);
    row->addStretch(1);

    m_revert = new QPushButton(QStringLiteral("Revert"), bar);
    nameWidget(*m_revert, QStringLiteral("revertButton"), QStringLiteral("Revert"));
    m_revert->setAutoDefault(false);
    connect(m_revert, &QPushButton::clicked, this, &RuleEditorView::loadDraft);
    row->addWidget(m_revert);

    m_save = new QPushButton(QStringLiteral("Save"), bar);
    nameWidget(*m_save, QStringLiteral("saveButton"), QStringLiteral("Save"));
    m_save->setDefault(true);
    connect(m_save, &QPushButton::clicked, this, &RuleEditorView::saveDraft);
    row->addWidget(m_save);

    m_saveShortcut = new QShortcut(QKeySequence::Save, this);
    m_saveShortcut->setContext(Qt::WindowShortcut);
    connect(m_saveShortcut, &QShortcut::activated, this, [this] {
        if (m_isDirty)
            saveDraft();
    });
    return bar;
}

void RuleEditorView::loadDraft()
{
    if (const rules::Rule* stored = storedRule())
        m_draft = *stored;
    showDraft();
    setDirty(false);
}

void RuleEditorView::saveDraft()
{
    // The draft replaces the stored rule as a whole; the store announces and saves it.
    m_context.ruleStore.updateRule(m_draft);
    setDirty(false);
}

void RuleEditorView::confirmDelete()
{
    const rules::Rule* stored = storedRule();
    const QString name = stored ? QString::fromStdString(stored->name) : QString();
    const QString title = QStringLiteral("Delete \"%1\"?").arg(name);

    auto* box = new QMessageBox(this);
    box->setObjectName(QStringLiteral("deleteConfirmation"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(title);
    box->setText(title);
    box->setInformativeText(QStringLiteral("This rule will be permanently deleted."));
    auto* remove = box->addButton(QStringLiteral("Delete Rule"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("deleteRuleButton"));
    auto* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    box->setDefaultButton(qobject_cast<QPushButton*>(cancel));
    box->setEscapeButton(cancel);
    connect(box, &QMessageBox::buttonClicked, this, [this, remove](QAbstractButton* button) {
        if (button == remove && m_onDelete)
            m_onDelete();
    });
    box->open();
}

void RuleEditorView::showDraft()
{
    m_showingDraft = true;
    m_name->setText(QString::fromStdString(m_draft.name));
    m_enabled->setChecked(m_draft.isEnabled);
    showApplication();
    m_pattern->setText(QString::fromStdString(m_draft.urlPattern.value_or(std::string())));
    showUrlFilter();
    if (auto* button = m_contentType->button(static_cast<int>(m_draft.contentType)))
        button->setChecked(true);
    const QString content = QString::fromStdString(m_draft.content);
    if (m_content->toPlainText() != content)
        m_content->setPlainText(content);
    showCharacterCount();
    m_showingDraft = false;
}

void RuleEditorView::showApplication()
{
    const bool any = m_draft.bundleID == "*";
    m_application->setTitle(any ? QStringLiteral("Any Application")
                                : QString::fromStdString(m_draft.appDisplayName));
    m_application->setCaption(any ? QString() : QString::fromStdString(m_draft.bundleID));
    m_application->setAccessibleName(m_application->titleLabel()->text());
    refreshApplicationIcon();
}

void RuleEditorView::refreshApplicationIcon()
{
    m_application->setIcon(m_icons.pixmapFor(m_draft.bundleID, kApplicationIconSize, *this));
}

void RuleEditorView::showUrlFilter()
{
    const bool required = m_draft.urlPattern.has_value();
    m_requireUrl->setChecked(required);
    m_urlForm->setRowVisible(m_matchMode, required);
    m_urlForm->setRowVisible(m_pattern, required);
    const int index = m_matchMode->findData(static_cast<int>(m_draft.urlMatchMode));
    m_matchMode->setCurrentIndex(index);
    m_pattern->setPlaceholderText(patternPlaceholder(m_draft.urlMatchMode));
    const QString pattern = QString::fromStdString(m_draft.urlPattern.value_or(std::string()));
    if (!required)
        m_pattern->clear();
    m_patternHelp->setText(patternHelp(m_draft.urlMatchMode, pattern));
    m_urlForm->setRowVisible(m_patternHelp, required && !pattern.isEmpty());
}

void RuleEditorView::showCharacterCount()
{
    m_characterCount->setText(
        QStringLiteral("%1 characters")
            .arg(static_cast<qulonglong>(characterCount(m_content->toPlainText()))));
}

void RuleEditorView::setDirty(bool dirty)
{
    m_isDirty = dirty;
    m_unsaved->setVisible(dirty);
    m_revert->setEnabled(dirty);
    m_save->setEnabled(dirty);
    m_saveShortcut->setEnabled(dirty);
}

void RuleEditorView::edited()
{
    if (!m_showingDraft)
        setDirty(true);
}

void RuleEditorView::chooseApplication()
{
    auto* sheet = new AppPickerSheet(m_context.platform, m_icons, m_draft.bundleID, this);
    connect(sheet, &AppPickerSheet::applicationChosen, this,
            [this](const QString& bundleID, const QString& displayName) {
                m_draft.bundleID = bundleID.toStdString();
                m_draft.appDisplayName = displayName.toStdString();
                showApplication();
                edited();
            });
    sheet->open();
}

QString RuleEditorView::matchModeLabel(URLMatchMode mode)
{
    switch (mode) {
    case URLMatchMode::domain:
        return QStringLiteral("Domain (e.g. example.com)");
    case URLMatchMode::exact:
        return QStringLiteral("Exact URL");
    case URLMatchMode::prefix:
        return QStringLiteral("URL starts with");
    case URLMatchMode::contains:
        return QStringLiteral("URL contains");
    case URLMatchMode::wildcard:
        return QStringLiteral("Wildcard (* glob)");
    case URLMatchMode::regex:
        return QStringLiteral("Regular expression");
    }
    return {};
}

QString RuleEditorView::patternPlaceholder(URLMatchMode mode)
{
    switch (mode) {
    case URLMatchMode::domain:
        return QStringLiteral("e.g. example.com");
    case URLMatchMode::exact:
        return QStringLiteral("e.g. https://example.com/account/settings");
    case URLMatchMode::prefix:
        return QStringLiteral("e.g. https://example.com/");
    case URLMatchMode::contains:
        return QStringLiteral("e.g. example");
    case URLMatchMode::wildcard:
        return QStringLiteral("e.g. https://*.example.com/*");
    case URLMatchMode::regex:
        return QStringLiteral("e.g. https://(www\\.)?example\\.com/.*");
    }
    return {};
}

QString RuleEditorView::patternHelp(URLMatchMode mode, const QString& pattern)
{
    switch (mode) {
    case URLMatchMode::domain:
        return QStringLiteral("Matches any URL on ") + pattern +
               QStringLiteral(" and its subdomains");
    case URLMatchMode::exact:
        return QStringLiteral("Matches only the exact URL: ") + pattern;
    case URLMatchMode::prefix:
        return QStringLiteral("Matches URLs starting with: ") + pattern;
    case URLMatchMode::contains:
        return QStringLiteral("Matches URLs containing: ") + pattern;
    case URLMatchMode::wildcard:
        return QStringLiteral("Matches using glob pattern: ") + pattern;
    case URLMatchMode::regex:
        return QStringLiteral("Matches using regular expression");
    }
    return {};
}

QString RuleEditorView::contentTypeLabel(RuleContentType type)
{
    switch (type) {
    case RuleContentType::plainText:
        return QStringLiteral("Plain Text");
    case RuleContentType::richText:
        return QStringLiteral("Rich Text (RTF)");
    }
    return {};
}

} // namespace ondrel::ui
