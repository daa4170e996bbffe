#include "ui/form1.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include "net/pagefetcher.h"
#include "net/sitefetch.h"
#include "qtbridge/qtbridge.h"
#include "search/characterpage.h"
#include "search/ranklookup.h"
#include "search/reporttext.h"
#include "search/resultpage.h"
#include "search/servicestatus.h"
#include "shell/musicstrip.h"
#include "shell/programicon.h"
#include "shell/traymode.h"
#include "ui/design.h"
#include "ui/detailpanel.h"
#include "ui/messagebox.h"
#include "ui/rankprompt.h"
#include "ui/resultmodel.h"

namespace thornvale {

namespace {

// The character code of Enter, as the key-press handlers compare it.
constexpr int EnterCode = 13;

// The character a key event types, as the key-press handlers take it, or -1 for keys that type
// nothing (arrows, modifiers) and for Tab, which moves the focus instead of typing.
int characterCode(const QKeyEvent *key)
{
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return EnterCode;
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->text().isEmpty())
        return -1;
    return key->text().at(0).unicode();
}

// Focus that comes or goes because another window took over (a message box, a popup, another
// program) is no move of the user's within this window.
bool isWindowSwitch(Qt::FocusReason reason)
{
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
        || reason == Qt::MenuBarFocusReason;
}

// Text from a page or a reply, as it may go to stderr: a terminal acts on none of it, and a long
// one is shortened.
QString shown(const QString &text)
{
    return toQString(LoggedText(view(text)));
}

} // namespace

Form1::Form1(SiteConfig config, QWidget *parent)
    : QMainWindow(
        parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint)
    , m_config(std::move(config))
    , m_results(new ResultModel(this))
{
    m_ui.setupUi(this, m_config, m_results);
    setWindowIcon(ProgramIcon());
    m_tray = new TrayMode(this, m_ui.P, this);
    // The strip's browser is made on the first music choice, so start-up stays light.
    m_music = new MusicStrip(m_ui.pic1);
    m_music->setTabNeighbours(m_ui.LV, m_ui.txtAdd);
    m_rank = new RankPrompt(*m_results, m_ui.txtnick, m_ui.txtAdd, this);
    connect(m_rank, &RankPrompt::finished, this, &Form1::rankLookupFinished);
    connectControls();
    for (QObject *watched : { static_cast<QObject *>(m_ui.txtName), static_cast<QObject *>(m_ui.txtnick),
             static_cast<QObject *>(m_ui.txtAdd), static_cast<QObject *>(m_ui.LV),
             static_cast<QObject *>(m_ui.LV->viewport()) })
        watched->installEventFilter(this);
    // Qt gives a popup menu no accessible name; a screen reader announces this one by its title.
    m_ui.menu34->setAccessibleName(m_ui.menu34->title());
}

Form1::~Form1()
{
    stopSearch();
    stopDetail();
    delete m_closedBox;
    // The model goes with the window; a run must not outlive it.
    m_search.reset();
    m_retiredSearch.reset();
}

void Form1::connectControls()
{
    connect(m_ui.Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_ui.Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(m_ui.Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(m_ui.cmdcmd, &QAction::triggered, this, &Form1::cmdcmd_Click);
    connect(m_ui.gourl, &QAction::triggered, this, &Form1::gourl_Click);
    connect(m_ui.copyRow, &QAction::triggered, this, &Form1::copySelectedRow);
    connect(m_ui.Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(m_ui.menu2, &QAction::triggered, m_tray, &TrayMode::enter);
    connect(m_tray, &TrayMode::unavailable, this, [this] {
        makeMessageBox(QMessageBox::Information, QStringLiteral("알림 영역이 없어 트레이 모드를 쓸 수 없습니다."),
            "noTrayMessage", this)
            ->show();
    });

    const std::pair<QAction *, const std::u16string *> songs[] = { { m_ui.gayo, &m_config.musicUrls[0] },
        { m_ui.pop, &m_config.musicUrls[1] }, { m_ui.club, &m_config.musicUrls[2] } };
    for (const auto &[item, address] : songs)
        connect(
            item, &QAction::triggered, this, [this, address = address] { playMusic(toQString(*address)); });
    const std::pair<QAction *, const std::u16string *> links[]
        = { { m_ui.Down1, &m_config.downloads[0].url }, { m_ui.Down2, &m_config.downloads[1].url },
              { m_ui.Down3, &m_config.downloads[2].url }, { m_ui.inven, &m_config.invenUrl },
              { m_ui.gong, &m_config.gongUrl }, { m_ui.naver, &m_config.naverUrl } };
    for (const auto &[item, address] : links)
        connect(
            item, &QAction::triggered, this, [this, address = address] { openLink(toQString(*address)); });
}

const ResultList &Form1::results() const
{
    return *m_results;
}

bool Form1::isSearching() const
{
    return m_search && m_search->isRunning();
}

void Form1::setMusicModuleFolder(const QString &folder)
{
    m_music->setModuleFolder(folder);
}

void Form1::setMusicEngine(MusicEngine *engine)
{
    m_music->setEngine(engine);
}

void Form1::openLink(const QString &address)
{
    ShellOpenUrl(address, m_launch);
}

void Form1::playMusic(const QString &address)
{
    m_music->navigate(QUrl(address));
}

void Form1::gourl_Click()
{
    // Nothing selected, nothing to open.
    const int row = selectedRow();
    if (row < 0)
        return;
    const QString address = toQString(m_results->cell(row, ResultRow::Address));
    openLink(address);
    // A row without an address is refused with a line on stderr; the user is told as "바로검색"
    // tells them.
    if (address.isEmpty())
        showFailure(toQString(FailureCause(FetchFailure::NoAddress)));
}

void Form1::copySelectedRow()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    // Escaped as the CLI writes them: a row pasted into a terminal must not run anything the page
    // hid in it (a line feed and a command behind a bidi override, say), nor break the tabs.
    QStringList cells;
    for (int k = 0; k < ResultRow::CellCount; ++k)
        cells << escaped(toQString(m_results->cell(row, k)));
    QGuiApplication::clipboard()->setText(cells.join(u'\t'));
}

int Form1::selectedRow() const
{
    const QModelIndexList rows = m_ui.LV->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= m_results->count())
        return -1;
    return rows.first().row();
}

// ---------------------------------------------------------------------------------------------
// Start-up

void Form1::load()
{
    m_pageCounter = 1;
    net::CheckServiceStatus(toQString(m_config.statusUrl), this, [this](const StatusDecision &decision) {
        // Only an explicit "closed" from the operator keeps users out; a status resource that is
        // down or garbled must not lock everyone out of the tool.
        if (decision.state == ServiceState::Unknown)
            qWarning().noquote() << QStringLiteral(
                "thornvale: cannot read the service status (%1); starting anyway")
                                        .arg(shown(toQString(decision.reason)));
        serviceAnswered(decision.state != ServiceState::Closed);
    });
}

void Form1::serviceAnswered(bool open)
{
    if (open) {
        m_ui.Timer2->start();
        Q_EMIT loadFinished(true);
        return;
    }
    QMessageBox *box = makeMessageBox(QMessageBox::Critical,
        toQString(ClosedServiceMessage(m_config.contactLine)), "closedServiceMessage", nullptr);
    connect(box, &QDialog::finished, this, [this] { Q_EMIT loadFinished(false); });
    m_closedBox = box;
    box->show();
}

void Form1::Timer2_Timer()
{
    m_ui.txtName->setFocus(Qt::OtherFocusReason);
    m_ui.Timer2->stop();
}

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (const QScreen *s = screen()) {
        const QRect area = s->availableGeometry();
        const QSize size = frameGeometry().size();
        move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    Q_EMIT closing();
    m_tray->removeIcon();
    m_music->closePopups();
    stopSearch();
    stopDetail();
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program, whatever other windows are still open.
    QCoreApplication::quit();
}

// ---------------------------------------------------------------------------------------------
// Searching

net::PageFetcher *Form1::httpRequest()
{
    if (!m_httpRequest)
        m_httpRequest = new net::PageFetcher(this);
    return m_httpRequest;
}

void Form1::startSearch(SearchEntry entry)
{
    stopSearch();
    m_failedPages = 0;
    m_firstFailure = FetchFailure::None;
    SearchHost &host = *this;
    m_search = std::make_unique<SearchPages>(
        entry, host, *m_results, m_pageCounter, m_config.searchAddressStart(), m_config.characterBase);
    m_ui.LV->viewport()->setCursor(Qt::BusyCursor);
    m_search->start();
}

void Form1::stopSearch()
{
    if (m_search) {
        m_search->cancel();
        m_retiredSearch = std::move(m_search);
    }
    m_ui.LV->viewport()->unsetCursor();
}

std::u16string Form1::currentName()
{
    return toU16(m_ui.txtName->text());
}

AbortFetch Form1::fetchPage(const std::u16string &address, std::function<void(PageBody)> done)
{
    return net::FetchPageBody(*httpRequest(), toQString(address), this, std::move(done));
}

void Form1::setCommand1Enabled(bool enabled)
{
    m_ui.Command1->setEnabled(enabled);
}

void Form1::pageFinished(const PageReport &report)
{
    if (report.outcome == PageReport::Outcome::FetchFailed && m_failedPages++ == 0)
        m_firstFailure = report.failure;
    // A page without the heading is logged too, though the user hears nothing of it: the site
    // sends such pages past its last result.
    for (const std::u16string &line : PageReportLines(report))
        qWarning().noquote() << QStringLiteral("thornvale: ") + toQString(line);
    Q_EMIT searchPageFinished(report.page, report.rows);
}

void Form1::runFinished()
{
    m_ui.LV->viewport()->unsetCursor();
    // A dead server must not look like a name without characters.
    if (m_failedPages > 0)
        showFailure(toQString(SearchFailureMessage(m_failedPages, m_firstFailure)));
    Q_EMIT searchFinished();
}

void Form1::showFailure(const QString &text)
{
    makeMessageBox(QMessageBox::Warning, text, "failureMessage", this)->show();
}

void Form1::Command1_Click()
{
    startSearch(SearchEntry::FirstPages);
}

void Form1::Command2_Click()
{
    startSearch(SearchEntry::NextPages);
}

// ---------------------------------------------------------------------------------------------
// Input boxes and the list

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // Shift+F10 is the keyboard's menu key where a keyboard has none; Qt leaves it a key press.
        if (const auto *key = static_cast<QKeyEvent *>(event); watched == m_ui.LV && key->key() == Qt::Key_F10
            && key->modifiers() == Qt::ShiftModifier) {
            openListMenuFromKeyboard();
            return true;
        }
        if (const int code = characterCode(static_cast<QKeyEvent *>(event)); code < 0)
            break;
        else if (watched == m_ui.txtName)
            txtName_KeyPress(code);
        else if (watched == m_ui.txtAdd)
            txtAdd_KeyPress(code);
        break;
    case QEvent::InputMethod: {
        // Hangul typed through an input method arrives as committed text, not as key presses.
        const QString committed = static_cast<QInputMethodEvent *>(event)->commitString();
        if (!committed.isEmpty() && watched == m_ui.txtName)
            txtName_KeyPress(committed.at(0).unicode());
        break;
    }
    case QEvent::MouseButtonRelease:
        // txtName_Click, txtnick_Click, txtAdd_Click: a click empties the box, its hint too.
        if (auto *box = qobject_cast<QLineEdit *>(watched);
            box && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            box->clear();
        break;
    case QEvent::MouseButtonDblClick: {
        // The list's double click is the left button's; the list has no right-button menu.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (watched == m_ui.LV->viewport() && mouse->button() == Qt::LeftButton)
            LV_DblClick(mouse->globalPosition().toPoint());
        break;
    }
    case QEvent::ContextMenu:
        // The menu key: the keyboard user's way to menu34. The list has no right-button menu.
        if (watched == m_ui.LV
            && static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
            openListMenuFromKeyboard();
            return true;
        }
        break;
    case QEvent::FocusIn:
        if (watched == m_ui.txtAdd && !isWindowSwitch(static_cast<QFocusEvent *>(event)->reason()))
            txtAdd_GotFocus();
        break;
    case QEvent::FocusOut:
        if (watched == m_ui.txtnick && !isWindowSwitch(static_cast<QFocusEvent *>(event)->reason()))
            txtnick_LostFocus();
        break;
    default:
        break;
    }
    // The boxes still handle every key and click themselves.
    return QMainWindow::eventFilter(watched, event);
}

void Form1::txtName_KeyPress(int keyAscii)
{
    m_pageCounter = 0;
    // The run in flight was for the name as it stood; its remaining pages would now land under a
    // counter that says nothing was requested. The rows already shown stay.
    stopSearch();
    if (keyAscii == EnterCode)
        startSearch(SearchEntry::EnterSearch);
}

void Form1::txtnick_LostFocus()
{
    // Qt is still in the middle of handing the focus to its new owner; take it over once that is
    // done, or the hand-over would undo the jump.
    QMetaObject::invokeMethod(
        this, [this] { m_ui.txtAdd->setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
}

void Form1::txtAdd_GotFocus()
{
    m_ui.txtAdd->clear();
}

void Form1::txtAdd_KeyPress(int keyAscii)
{
    if (keyAscii == EnterCode)
        Command3_Click();
}

void Form1::LV_DblClick(const QPoint &globalPos)
{
    m_ui.menu34->popup(globalPos);
}

void Form1::openListMenuFromKeyboard()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QModelIndex index = m_ui.LV->model()->index(row, 0);
    m_ui.LV->scrollTo(index);
    const QRect rowRect = m_ui.LV->visualRect(index);
    m_ui.menu34->popup(m_ui.LV->viewport()->mapToGlobal(rowRect.bottomLeft()));
    // Its first item active, so a screen reader announces where the keyboard is.
    m_ui.menu34->setActiveAction(m_ui.gourl);
}

// ---------------------------------------------------------------------------------------------
// Rank lookup

void Form1::Command3_Click()
{
    m_rank->start();
}

// ---------------------------------------------------------------------------------------------
// Character detail

void Form1::stopDetail()
{
    if (AbortFetch abort = std::exchange(m_detailFetch, {}))
        abort();
}

void Form1::cmdcmd_Click()
{
    stopDetail();
    m_ui.panel->ResetDetailPanel();
    const int row = selectedRow();
    if (row < 0) {
        finishDetail({});
        return;
    }
    const QString address = toQString(m_results->cell(row, ResultRow::Address));
    // A row whose page had no anchor: there is nothing to ask for, and the user is told so.
    if (address.isEmpty()) {
        qWarning("thornvale: character page: the row has no address");
        finishDetail({std::nullopt, u"the row has no address", FetchFailure::NoAddress});
        return;
    }
    m_detailFetch = net::FetchPageBody(
        *httpRequest(), address, this,
        [this, address](const PageBody &body) {
            m_detailFetch = {};
            if (!body.text)
                qWarning().noquote() << QStringLiteral("thornvale: character page: %1 (%2)")
                                            .arg(shown(toQString(body.error)), shown(address));
            finishDetail(body, address);
        },
        net::StatusPolicy::ErrorStatusFails);
}

void Form1::finishDetail(const PageBody &body, const QString &address)
{
    const CharacterDetail detail
        = ParseCharacterPage(body.text ? std::u16string_view(*body.text) : std::u16string_view());
    for (const std::u16string &line : DetailReportLines(detail, view(address)))
        qWarning().noquote() << QStringLiteral("thornvale: character page: ") + toQString(line);
    // The nickname is read now, not at the click: a search in between may have emptied the list.
    std::optional<QString> nickname;
    if (const int row = selectedRow(); row >= 0)
        nickname = toQString(m_results->cell(row, ResultRow::Nickname));
    m_ui.panel->ShowCharacterDetail(detail, nickname);
    m_ui.panel->ColourGradeLabels();
    if (body.failure != FetchFailure::None)
        showFailure(toQString(DetailFailureMessage(body.failure, body.httpStatus)));
    Q_EMIT detailFinished();
}

} // namespace thornvale
