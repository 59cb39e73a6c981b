#include "AppPickerSheet.h"

#include "ApplicationIcons.h"
#include "IconTextRow.h"
#include "Icons.h"
#include "LocalizedText.h"
#include "TextStyle.h"
#include "WidgetHelpers.h"

#include "platform/Platform.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

#include <algorithm>

namespace ondrel::ui {

namespace {

constexpr QSize kSheetSize{400, 520};
constexpr int kListHeight = 220;
constexpr int kRowSpacing = 10;
constexpr int kMarkSize = 16;

// A borderless button whose whole padded area reacts; its content is an ordinary layout.
class RowButton final : public QAbstractButton
{
public:
    RowButton(const QString& accessibleText, QWidget* parent) : QAbstractButton(parent)
    {
        setText(accessibleText);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_Hover);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return layout() ? layout()->sizeHint() : QSize(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (autoFillBackground())
            painter.fillRect(rect(), palette().color(backgroundRole()));
        if (isDown() || underMouse()) {
            QColor shade = palette().color(QPalette::Highlight);
            shade.setAlphaF(isDown() ? 0.25f : 0.12f);
            painter.fillRect(rect(), shade);
        }
        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
};

QLabel* checkmark(QWidget* parent, bool shown)
{
    auto* mark = new QLabel(parent);
    mark->setObjectName(QStringLiteral("checkmark"));
    mark->setPixmap(tintedSymbol(u"checkmark", parent->palette().color(QPalette::Highlight),
                                 kMarkSize, parent->devicePixelRatioF()));
    mark->setVisible(shown);
    return mark;
}

} // namespace

AppPickerSheet::AppPickerSheet(platform::Platform& platform, ApplicationIcons& icons,
                               const std::string& selectedBundleID, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_icons(icons),
      m_selectedBundleID(QString::fromStdString(selectedBundleID))
{
    setObjectName(QStringLiteral("AppPickerSheet"));
    setWindowTitle(QStringLiteral("Choose Application"));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kSheetSize);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const int margin = style()->pixelMetric(QStyle::PM_LayoutLeftMargin);

    auto* title = new QLabel(QStringLiteral("Choose Application"), this);
    applyTextStyle(*title, TextStyle::headline);
    title->setContentsMargins(margin, margin, margin, margin);
    column->addWidget(title);
    column->addWidget(horizontalDivider(this));

    auto* any = new RowButton(QStringLiteral("Any Application"), this);
    nameWidget(*any, QStringLiteral("anyApplicationButton"), QStringLiteral("Any Application"));
    auto* anyLayout = new QHBoxLayout(any);
    anyLayout->setContentsMargins(margin, 8, margin, 8);
    auto* anyRow = new IconTextRow(32, kRowSpacing, any);
    anyRow->layout()->setContentsMargins(0, 0, 0, 0);
    anyRow->setAttribute(Qt::WA_TransparentForMouseEvents);
    anyRow->setIcon(applicationSymbol(u"star.circle.fill", 22, *this));
    anyRow->setTitle(QStringLiteral("Any Application"));
    anyRow->setCaption(QStringLiteral("Rule matches regardless of active app"));
    anyRow->addTrailing(checkmark(anyRow, m_selectedBundleID == QStringLiteral("*")));
    anyLayout->addWidget(anyRow);
    connect(any, &QAbstractButton::clicked, this, &AppPickerSheet::selectAnyApplication);
    column->addWidget(any);
    column->addWidget(horizontalDivider(this));

    m_search = new QLineEdit(this);
    nameWidget(*m_search, QStringLiteral("searchField"), QStringLiteral("Search running apps"));
    m_search->setPlaceholderText(QStringLiteral("Search running apps..."));
    m_search->setClearButtonEnabled(true);
    auto* searchBox = new QWidget(this);
    auto* searchLayout = new QHBoxLayout(searchBox);
    searchLayout->setContentsMargins(margin, 8, margin, 8);
    searchLayout->addWidget(m_search);
    column->addWidget(searchBox);
    connect(m_search, &QLineEdit::textChanged, this, &AppPickerSheet::showFilteredApps);

    m_list = new QListWidget(this);
    nameWidget(*m_list, QStringLiteral("runningAppsList"), QStringLiteral("Running applications"));
    m_list->setFixedHeight(kListHeight);
    m_list->setFrameShape(QFrame::NoFrame);
    const auto activate = [this](QListWidgetItem* item) {
        const auto index = item->data(Qt::UserRole).toULongLong();
        if (index < m_runningApps.size())
            selectApp(m_runningApps[index]);
    };
    connect(m_list, &QListWidget::itemClicked, this, activate);
    connect(m_list, &QListWidget::itemActivated, this, activate);
    column->addWidget(m_list);
    column->addWidget(horizontalDivider(this));

    auto* browse = new RowButton(QStringLiteral("Browse for Application\u2026"), this);
    nameWidget(*browse, QStringLiteral("browseButton"),
               QStringLiteral("Browse for Application\u2026"));
    browse->setBackgroundRole(QPalette::Base);
    browse->setAutoFillBackground(true);
    auto* browseLayout = new QHBoxLayout(browse);
    browseLayout->setContentsMargins(margin, 10, margin, 10);
    browseLayout->setSpacing(kRowSpacing);
    auto* folder = new QLabel(browse);
    folder->setFixedSize(24, 24);
    folder->setAlignment(Qt::AlignCenter);
    folder->setPixmap(
        tintedSymbol(u"folder", toneColor(*this, TextTone::secondary), 18, devicePixelRatioF()));
    browseLayout->addWidget(folder);
    auto* browseTitle = new QLabel(browse->text(), browse);
    browseLayout->addWidget(browseTitle, 1);
    connect(browse, &QAbstractButton::clicked, this, &AppPickerSheet::browseForApplication);
    column->addWidget(browse);
    column->addWidget(horizontalDivider(this));

    auto* bottom = new QWidget(this);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->addStretch(1);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), bottom);
    nameWidget(*cancel, QStringLiteral("cancelButton"), QStringLiteral("Cancel"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    bottomLayout->addWidget(cancel);
    column->addWidget(bottom);
    column->addStretch(1);

    loadRunningApps();
    showFilteredApps();
    m_search->setFocus();
}

void AppPickerSheet::loadRunningApps()
{
    m_runningApps.clear();
    for (const auto& application : m_platform.workspace->runningApplications()) {
        if (!application.bundleIdentifier || !application.localizedName ||
            application.activationPolicy != platform::ActivationPolicy::regular)
            continue;
        m_runningApps.push_back({QString::fromStdString(*application.bundleIdentifier),
                                 QString::fromStdString(*application.localizedName),
                                 m_icons.iconNamed(application.icon)});
    }
    std::stable_sort(m_runningApps.begin(), m_runningApps.end(),
                     [](const AppEntry& a, const AppEntry& b) {
                         return localizedCaseInsensitiveCompare(a.name, b.name) < 0;
                     });
}

bool AppPickerSheet::matchesSearch(const AppEntry& entry, const QString& search)
{
    return localizedCaseInsensitiveContains(entry.name, search) ||
           localizedCaseInsensitiveContains(entry.id, search);
}

std::vector<AppPickerSheet::AppEntry> AppPickerSheet::filteredApps() const
{
    const QString search = m_search->text();
    if (search.isEmpty())
        return m_runningApps;
    std::vector<AppEntry> shown;
    std::copy_if(m_runningApps.begin(), m_runningApps.end(), std::back_inserter(shown),
                 [&](const AppEntry& entry) { return matchesSearch(entry, search); });
    return shown;
}

void AppPickerSheet::showFilteredApps()
{
    m_list->clear();
    const QString search = m_search->text();
    for (std::size_t index = 0; index < m_runningApps.size(); ++index) {
        const AppEntry& entry = m_runningApps[index];
        if (!search.isEmpty() && !matchesSearch(entry, search))
            continue;
        auto* item = new QListWidgetItem(m_list);
        item->setData(Qt::UserRole, static_cast<qulonglong>(index));
        item->setData(Qt::AccessibleTextRole, entry.name);
        auto* row = new IconTextRow(24, kRowSpacing, m_list);
        row->setAttribute(Qt::WA_TransparentForMouseEvents);
        row->setIcon(entry.icon.isNull() ? applicationSymbol(u"app.dashed", 18, *this)
                                         : entry.icon.pixmap(QSize(24, 24), devicePixelRatioF()));
        row->setTitle(entry.name);
        row->setCaption(entry.id);
        row->addTrailing(checkmark(row, entry.id == m_selectedBundleID));
        item->setSizeHint(row->sizeHint());
        m_list->setItemWidget(item, row);
    }
}

void AppPickerSheet::selectAnyApplication()
{
    choose(QStringLiteral("*"), QStringLiteral("Any Application"));
}

void AppPickerSheet::selectApp(const AppEntry& entry)
{
    choose(entry.id, entry.name);
}

void AppPickerSheet::browseForApplication()
{
    const auto path =
        m_platform.alerts->chooseApplication(m_platform.workspace->applicationsFolder());
    if (!path)
        return;
    const auto info = m_platform.workspace->applicationInfo(*path);
    if (!info || !info->bundleIdentifier || info->bundleIdentifier->empty()) {
        showNoBundleIDAlert();
        return;
    }
    QString name = QString::fromStdString(info->displayName);
    if (name.isEmpty())
        name = QFileInfo(QString::fromStdString(*path)).completeBaseName();
    choose(QString::fromStdString(*info->bundleIdentifier), name);
}

void AppPickerSheet::choose(const QString& bundleID, const QString& displayName)
{
    Q_EMIT applicationChosen(bundleID, displayName);
    accept();
}

void AppPickerSheet::showNoBundleIDAlert()
{
    auto* alert = new QMessageBox(this);
    alert->setObjectName(QStringLiteral("noBundleIDAlert"));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    alert->setIcon(QMessageBox::Warning);
    alert->setWindowTitle(QStringLiteral("No Bundle ID Found"));
    alert->setText(QStringLiteral("No Bundle ID Found"));
    alert->setInformativeText(QStringLiteral("The selected application doesn't have a bundle "
                                             "identifier. Try choosing a different app."));
    auto* ok = alert->addButton(QStringLiteral("OK"), QMessageBox::RejectRole);
    ok->setObjectName(QStringLiteral("okButton"));
    alert->setEscapeButton(ok);
    alert->open();
}

} // namespace ondrel::ui
