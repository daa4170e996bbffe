#pragma once

// The main window's controls as designed: names, kinds, design texts, places in twips, colours,
// fonts, accessible names, the menu tree and the tab order. Built once, each control stored as it is
// made, like the setupUi of a uic-generated form; Form1 holds the behaviour.

class QAbstractItemModel;
class QAction;
class QFont;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QTimer;
class QTreeView;
class QWidget;

namespace thornvale {

class DetailPanel;
struct SiteConfig;

struct Form1Design {
    // Left side.
    QLineEdit *txtName = nullptr;
    QLineEdit *txtnick = nullptr;
    QLineEdit *txtAdd = nullptr;
    QPushButton *Command3 = nullptr;
    QTreeView *LV = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    // Top strip: P receives the tray icon's messages unseen; pic1 clips the music browser.
    QWidget *P = nullptr;
    QWidget *pic1 = nullptr;
    QLabel *Label2 = nullptr;
    DetailPanel *panel = nullptr;
    QTimer *Timer2 = nullptr;

    QAction *menu2 = nullptr;
    QAction *gayo = nullptr;
    QAction *pop = nullptr;
    QAction *club = nullptr;
    QAction *Down1 = nullptr;
    QAction *Down2 = nullptr;
    QAction *Down3 = nullptr;
    QAction *inven = nullptr;
    QAction *gong = nullptr;
    QAction *naver = nullptr;
    // The result list's popup, never in the menu bar.
    QMenu *menu34 = nullptr;
    QAction *gourl = nullptr;
    QAction *cmdcmd = nullptr;
    // Ctrl+C in the list.
    QAction *copyRow = nullptr;

    // Makes every control on form, each named (objectName) as the rest of the program knows it.
    // The utilities' captions come from config; the list shows results.
    void setupUi(QMainWindow *form, const SiteConfig &config, QAbstractItemModel *results);

private:
    void createControls(QMainWindow *form, QAbstractItemModel *results);
    void createMenus(QMainWindow *form, const SiteConfig &config, const QFont &face);
    void applyTabOrder();
};

} // namespace thornvale
