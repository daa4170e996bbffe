#pragma once

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <optional>

#include "config/siteconfig.h"
#include "search/fetchfailure.h"
#include "shell/links.h"
#include "ui/form1design.h"

class QMessageBox;

namespace thornvale {

class DetailFetch;
class MusicEngine;
class MusicStrip;
class RankPrompt;
class ResultList;
class ResultModel;
class TrayMode;
class WindowSearch;

namespace net {
class PageFetcher;
} // namespace net

// The main window: the name box and its paging buttons, the result list, the rank lookup's two
// boxes, the detail panel, the music strip and the menus (built by Form1Design; every control is
// found by its name). This class holds what they do.
//
// Long work (the page run, the detail view, the rank lookup, the status check) runs as steps on
// the event loop, so the window keeps painting and taking input throughout; a newer search or
// detail view supersedes the one still in flight.
class Form1 final : public QMainWindow {
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

    // How the link items and "주소접속" start the browser, after the address check; the
    // platform's launch when empty. The tests record instead.
    void setBrowserLauncher(BrowserLauncher launch) { m_launch = std::move(launch); }
    // Where the music strip looks for the browser module; beside the program and under its
    // library folder when never set. The tests' and benchmarks' executables live elsewhere.
    void setMusicModuleFolder(const QString &folder);
    // Plays music through engine instead of the module: the tests run where no browser can draw
    // and record what would play. The engine must outlive the window.
    void setMusicEngine(MusicEngine *engine);

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
    void connectControls();
    // Every link item and "주소접속" open their address through here.
    void openLink(const QString &address);
    // gayo_Click, pop_Click, club_Click.
    void playMusic(const QString &address);
    // Ctrl+C in the list: the selected row's seven cells, separated by tabs.
    void copySelectedRow();
    // The selected result row (0-based), or -1.
    int selectedRow() const;
    // A cell of the selected row, or nothing when no row is selected.
    std::optional<QString> selectedCell(int column) const;

    // The one fetcher of the search runs and the detail view, made at the first page asked for.
    net::PageFetcher &httpRequest();

    void serviceAnswered(bool open);
    void Timer2_Timer();

    void txtName_KeyPress(int keyAscii);
    void txtnick_LostFocus();
    void txtAdd_GotFocus();
    void txtAdd_KeyPress(int keyAscii);
    void LV_DblClick(const QPoint &globalPos);
    // The menu key or Shift+F10 in the list: menu34 below the selected row, if there is one.
    void openListMenuFromKeyboard();

    // A warning box with OK only and a blank title bar, for a fetch that failed.
    void showFailure(const QString &text);

    Form1Design m_ui;
    SiteConfig m_config;
    ResultModel *m_results = nullptr;
    std::int32_t m_pageCounter = 0;
    net::PageFetcher *m_httpRequest = nullptr;

    WindowSearch *m_search = nullptr;
    DetailFetch *m_detail = nullptr;

    QPointer<QMessageBox> m_closedBox;
    TrayMode *m_tray = nullptr;
    RankPrompt *m_rank = nullptr;
    MusicStrip *m_music = nullptr;
    BrowserLauncher m_launch;
    bool m_centred = false;
};

} // namespace thornvale
