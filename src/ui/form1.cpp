#include "ui/form1.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
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
#include "search/servicestatus.h"
#include "shell/musicstrip.h"
#include "shell/programicon.h"
#include "shell/traymode.h"
#include "ui/design.h"
#include "ui/detailfetch.h"
#include "ui/detailpanel.h"
#include "ui/keyinput.h"
#include "ui/messagebox.h"
#include "ui/rankprompt.h"
#include "ui/resultmodel.h"
#include "ui/windowsearch.h"

namespace thornvale {

using namespace keyinput;

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
    const auto fetcher = [this]() -> net::PageFetcher & { return httpRequest(); };
    m_search = new WindowSearch(m_config, *m_results, m_pageCounter,
        { m_ui.txtName, m_ui.Command1, m_ui.LV->viewport() }, fetcher, this);
    connect(m_search, &WindowSearch::pageTaken, this, &Form1::searchPageFinished);
    connect(m_search, &WindowSearch::failed, this, &Form1::showFailure);
    connect(m_search, &WindowSearch::finished, this, &Form1::searchFinished);
    m_detail = new DetailFetch(
        *m_ui.panel, fetcher, [this] { return selectedCell(ResultRow::Nickname); }, this);
    connect(m_detail, &DetailFetch::failed, this, &Form1::showFailure);
    connect(m_detail, &DetailFetch::finished, this, &Form1::detailFinished);
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
    // The run and the detail fetch go before the model they fill.
    delete m_search;
    delete m_detail;
    delete m_closedBox;
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
        makeMessageBox(QMessageBox::Information,
            QStringLiteral("알림 영역이 없어 트레이 모드를 쓸 수 없습니다."), "noTrayMessage", this)
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
    return m_search->isRunning();
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
    const std::optional<QString> address = selectedCell(ResultRow::Address);
    if (!address)
        return;
    openLink(*address);
    // A row without an address is refused with a line on stderr; the user is told as "바로검색"
    // tells them.
    if (address->isEmpty())
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

std::optional<QString> Form1::selectedCell(int column) const
{
    const int row = selectedRow();
    return row < 0 ? std::nullopt : std::optional(toQString(m_results->cell(row, column)));
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
                                        .arg(logged(toQString(decision.reason)));
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
    m_search->stop();
    m_detail->stop();
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program, whatever other windows are still open.
    QCoreApplication::quit();
}

// ---------------------------------------------------------------------------------------------
// Searching

net::PageFetcher &Form1::httpRequest()
{
    if (!m_httpRequest)
        m_httpRequest = new net::PageFetcher(this);
    return *m_httpRequest;
}

void Form1::showFailure(const QString &text)
{
    makeMessageBox(QMessageBox::Warning, text, "failureMessage", this)->show();
}

void Form1::Command1_Click()
{
    m_search->start(SearchEntry::FirstPages);
}

void Form1::Command2_Click()
{
    m_search->start(SearchEntry::NextPages);
}

// ---------------------------------------------------------------------------------------------
// Input boxes and the list

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // Shift+F10 is the keyboard's menu key where a keyboard has none; Qt leaves it a key press.
        if (const auto *key = static_cast<QKeyEvent *>(event);
            watched == m_ui.LV && key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
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
    m_search->stop();
    if (keyAscii == EnterCode)
        m_search->start(SearchEntry::EnterSearch);
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
// The rank lookup and the detail view: each a class of its own

void Form1::Command3_Click()
{
    m_rank->start();
}

void Form1::cmdcmd_Click()
{
    m_detail->start(selectedCell(ResultRow::Address));
}

} // namespace thornvale
