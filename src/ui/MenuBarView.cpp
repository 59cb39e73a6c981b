#include "MenuBarView.h"

#include "HoverEffectModifier.h"
#include "Icons.h"
#include "TextStyle.h"

#include "paste/HotkeyCoordinator.h"
#include "rules/RuleStore.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace ondrel::ui {

namespace {

constexpr int sideInset = 16;
constexpr int iconColumn = 16;
constexpr int iconGap = 8;
constexpr int lineIconSize = 14;
constexpr int headerIconSize = 18;

QLabel* iconLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFixedWidth(iconColumn);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// One line: the icon column, the gap, the text, then flexible space.
QHBoxLayout* iconLine(QLabel* icon, QLabel* text)
{
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(iconGap);
    line->addWidget(icon);
    line->addWidget(text);
    line->addStretch(1);
    return line;
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

// A borderless command row whose whole padded rectangle takes the click; its only decoration
// is the hover highlight.
class CommandRow final : public QAbstractButton
{
public:
    CommandRow(const QString& title, const QString& symbol, QWidget* parent)
        : QAbstractButton(parent), m_symbol(symbol), m_icon(iconLabel(this)),
          m_title(new QLabel(title, this))
    {
        setText(title);
        setAccessibleName(title);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
        for (QWidget* part : {static_cast<QWidget*>(m_icon), static_cast<QWidget*>(m_title)})
            part->setAttribute(Qt::WA_TransparentForMouseEvents);
        auto* layout = iconLine(m_icon, m_title);
        layout->setContentsMargins(sideInset, 6, sideInset, 6);
        setLayout(layout);
        new HoverEffectModifier(*this);
    }

    void paintIcon()
    {
        m_icon->setPixmap(tintedSymbol(m_symbol, toneColor(*this, TextTone::primary), lineIconSize,
                                       devicePixelRatioF()));
    }

    QSize sizeHint() const override { return layout()->sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {}

private:
    QString m_symbol;
    QLabel* m_icon;
    QLabel* m_title;
};

} // namespace

MenuBarView::MenuBarView(rules::RuleStore& ruleStore, paste::HotkeyCoordinator& hotkeyCoordinator,
                         std::function<void()> onOpenSettings, std::function<void()> onQuit,
                         QWidget* parent)
    : QWidget(parent), m_ruleStore(ruleStore), m_hotkeyCoordinator(hotkeyCoordinator)
{
    setObjectName(QStringLiteral("MenuBarView"));
    setAccessibleName(QStringLiteral("Ondrel"));
    setFixedWidth(panelWidth);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_headerIcon = new QLabel(this);
    auto* title = new QLabel(QStringLiteral("Ondrel"), this);
    applyTextStyle(*title, TextStyle::headline);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(sideInset, 14, sideInset, 8);
    header->setSpacing(iconGap);
    header->addWidget(m_headerIcon);
    header->addWidget(title);
    header->addStretch(1);
    column->addLayout(header);
    column->addWidget(divider(this));

    auto* status = new QVBoxLayout;
    status->setContentsMargins(sideInset, 10, sideInset, 10);
    status->setSpacing(6);
    m_activeRulesIcon = iconLabel(this);
    m_activeRulesText = new QLabel(this);
    m_activeRulesText->setObjectName(QStringLiteral("activeRulesText"));
    applyTextStyle(*m_activeRulesText, TextStyle::subheadline);
    status->addLayout(iconLine(m_activeRulesIcon, m_activeRulesText));
    m_lastMatchLine = new QWidget(this);
    m_lastMatchLine->setObjectName(QStringLiteral("lastMatchLine"));
    m_lastMatchIcon = iconLabel(m_lastMatchLine);
    m_lastMatchText = new QLabel(m_lastMatchLine);
    m_lastMatchText->setObjectName(QStringLiteral("lastMatchText"));
    // Rule names are the user's text, never markup.
    m_lastMatchText->setTextFormat(Qt::PlainText);
    applyTextStyle(*m_lastMatchText, TextStyle::subheadline, TextTone::secondary);
    m_lastMatchLine->setLayout(iconLine(m_lastMatchIcon, m_lastMatchText));
    status->addWidget(m_lastMatchLine);
    column->addLayout(status);
    column->addWidget(divider(this));

    auto* commands = new QVBoxLayout;
    commands->setContentsMargins(0, 4, 0, 4);
    commands->setSpacing(2);
    m_settingsRow = new CommandRow(QStringLiteral("Settings..."), QStringLiteral("gear"), this);
    m_settingsRow->setObjectName(QStringLiteral("settingsRow"));
    m_quitRow = new CommandRow(QStringLiteral("Quit Ondrel"), QStringLiteral("power"), this);
    m_quitRow->setObjectName(QStringLiteral("quitRow"));
    commands->addWidget(m_settingsRow);
    commands->addWidget(m_quitRow);
    column->addLayout(commands);

    connect(m_settingsRow, &QAbstractButton::clicked, this, [action = std::move(onOpenSettings)] {
        if (action)
            action();
    });
    connect(m_quitRow, &QAbstractButton::clicked, this, [action = std::move(onQuit)] {
        if (action)
            action();
    });

    m_rulesSubscription = m_ruleStore.addDidChangeObserver([this] { redraw(); });
    m_lastMatchSubscription = m_hotkeyCoordinator.addDidChangeObserver([this] { redraw(); });
    paintIcons();
    redraw();
}

QString MenuBarView::activeRulesText(std::size_t count)
{
    return QString::number(count) + QStringLiteral(" active ") +
           (count == 1 ? QStringLiteral("rule") : QStringLiteral("rules"));
}

void MenuBarView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        paintIcons();
}

void MenuBarView::redraw()
{
    const auto& rules = m_ruleStore.rules();
    const auto active = static_cast<std::size_t>(
        std::count_if(rules.begin(), rules.end(), [](const auto& rule) { return rule.isEnabled; }));
    m_activeRulesText->setText(activeRulesText(active));

    const auto& lastMatch = m_hotkeyCoordinator.lastMatchedRuleName();
    if (lastMatch)
        m_lastMatchText->setText(QStringLiteral("Last: ") + QString::fromStdString(*lastMatch));
    m_lastMatchLine->setVisible(lastMatch.has_value());
    adjustSize();
}

void MenuBarView::paintIcons()
{
    const qreal ratio = devicePixelRatioF();
    m_headerIcon->setPixmap(tintedSymbol(
        u"doc.on.clipboard.fill", palette().color(QPalette::Highlight), headerIconSize, ratio));
    const QColor secondary = toneColor(*this, TextTone::secondary);
    m_activeRulesIcon->setPixmap(tintedSymbol(u"list.bullet", secondary, lineIconSize, ratio));
    m_lastMatchIcon->setPixmap(tintedSymbol(u"checkmark.circle", secondary, lineIconSize, ratio));
    for (auto* row : {m_settingsRow, m_quitRow})
        static_cast<CommandRow*>(row)->paintIcon();
}

} // namespace ondrel::ui
