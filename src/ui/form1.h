#pragma once

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

#include "search/characterpage.h"
#include "search/searchpages.h"
#include "search/siteconfig.h"
#include "shell/links.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QPushButton;
class QTimer;
class QTreeView;

namespace thornvale {

class MusicStrip;
class TrayMode;

namespace net {
class FetchHandle;
class PageFetcher;
} // namespace net

class ResultModel;

// The main window: the name box and its paging buttons, the result list, the rank lookup's two
// boxes, the detail panel, the music strip and the menus. Every control keeps the name the rest
// of the program knows it by, as member and as objectName.
//
// Long work (the page run, the detail view, the rank lookup, the status check) runs as steps on
// the event loop, so the window keeps painting and taking input throughout; a newer search or
// detail view supersedes the one still in flight.
class Form1 final : public QMainWindow, private SearchHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    // The window never reads a config file or the command line: the program hands it the
    // compiled-in addresses, a test hands it a local site.
    explicit Form1(SiteConfig config, QWidget *parent = nullptr);
    ~Form1() override;

    // The load sequence: counter to 1, then the service-status check. Ends in loadFinished();
    // when the service is closed the closed-service message has been shown and confirmed by then.
    void load();

    std::int32_t pageCounter() const { return m_pageCounter; }
    const ResultList &results() const;
    bool isSearching() const;

    // Left side.
    QLineEdit *txtName = nullptr;
    QLineEdit *txtnick = nullptr;
    QLineEdit *txtAdd = nullptr;
    QPushButton *Command3 = nullptr;
    QTreeView *LV = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    // Top strip: P is the invisible receiver of the tray icon's messages; pic1 clips the music
    // browser placed inside it.
    QWidget *P = nullptr;
    QWidget *pic1 = nullptr;
    QLabel *Label2 = nullptr;

    // Detail panel. The arrays are indexed by element number; Label1 has no element 1, Litem runs
    // from 1 to 20 and LDitem from 1 to 18 (element 0 of each is unused and null).
    std::array<QLabel *, 6> Label1 {};
    std::array<QLabel *, 21> Litem {};
    std::array<QLabel *, 19> LDitem {};

    QTimer *Timer2 = nullptr;

    // Menu bar: "트레이" is an action of its own, "메뉴" opens the submenus.
    QAction *menu2 = nullptr;
    QMenu *menu = nullptr;
    QMenu *mm2 = nullptr;
    QAction *gayo = nullptr;
    QAction *pop = nullptr;
    QAction *club = nullptr;
    QMenu *umenu = nullptr;
    QAction *Down1 = nullptr;
    QAction *Down2 = nullptr;
    QAction *Down3 = nullptr;
    QMenu *mm3 = nullptr;
    QAction *inven = nullptr;
    QAction *gong = nullptr;
    QAction *naver = nullptr;
    // The result list's popup, never in the menu bar.
    QMenu *menu34 = nullptr;
    QAction *gourl = nullptr;
    QAction *cmdcmd = nullptr;

    // The selected result row (0-based), or -1.
    int selectedRow() const;
    // Ctrl+C in the list: the selected row's seven cells, separated by tabs.
    void copySelectedRow();

    // How the link items and "주소접속" start the browser, after the address check; the
    // platform's launch when empty. The tests record instead.
    void setBrowserLauncher(BrowserLauncher launch) { m_launch = std::move(launch); }

public Q_SLOTS:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void cmdcmd_Click();
    void gourl_Click();

Q_SIGNALS:
    void loadFinished(bool open);
    void searchPageFinished(int page, int rows);
    void searchFinished();
    void detailFinished();
    void rankLookupFinished();
    // The window is closing and the program ends with it; whoever owns a tray icon removes it now.
    void closing();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // SearchHost
    std::u16string currentName() override;
    AbortFetch fetchPage(const std::u16string &address, std::function<void(PageBody)> done) override;
    void setCommand1Enabled(bool enabled) override;
    void pageFinished(const PageReport &report) override;
    void runFinished() override;

    void buildControls(QWidget *client);
    void buildDetailPanel(QWidget *client);
    void buildMenus();
    void connectShell();
    // Every link item and "주소접속" open their address through here.
    void openLink(const QString &address);
    // gayo_Click, pop_Click, club_Click.
    void playMusic(const QString &address);

    net::PageFetcher *httpRequest();
    void startSearch(SearchEntry entry);
    void stopSearch();

    void CheckServiceStatus();
    void serviceAnswered(bool open);
    void Timer2_Timer();

    void txtName_KeyPress(int keyAscii);
    void txtName_Click();
    void txtnick_Click();
    void txtnick_LostFocus();
    void txtAdd_Click();
    void txtAdd_GotFocus();
    void txtAdd_KeyPress(int keyAscii);
    void LV_DblClick(const QPoint &globalPos);

    void continueRankLookup(unsigned lookup);

    void ResetDetailPanel();
    void finishDetail(const QString &body, FetchFailure failure = FetchFailure::None);
    // A warning box with OK only and a blank title bar, for a fetch that failed.
    void showFailure(const QString &text);
    void ShowCharacterDetail(const CharacterDetail &detail, const std::optional<QString> &nickname);
    void ColourGradeLabels();
    void setHeaderCaption(int element, const QString &text);

    SiteConfig m_config;
    ResultModel *m_results = nullptr;
    std::int32_t m_pageCounter = 0;
    net::PageFetcher *m_httpRequest = nullptr;

    std::unique_ptr<SearchPages> m_search;
    int m_failedPages = 0; // of the run in flight
    FetchFailure m_firstFailure = FetchFailure::None;
    // The run superseded last; kept until the next search so that it is never destroyed while
    // one of its own callbacks is still on the stack.
    std::unique_ptr<SearchPages> m_retiredSearch;

    QPointer<net::FetchHandle> m_detailFetch;

    unsigned m_rankLookup = 0; // which lookup the open message box belongs to
    int m_rankNext = 0;
    int m_rankEnd = 0;

    net::PageFetcher *m_statusRequest = nullptr;
    QPointer<QMessageBox> m_closedBox;

    TrayMode *m_tray = nullptr;
    BrowserLauncher m_launch;
    MusicStrip *m_music = nullptr;

    bool m_centred = false;
};

} // namespace thornvale
