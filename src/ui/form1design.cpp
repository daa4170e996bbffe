#include "ui/form1design.h"

#include <QAction>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <array>
#include <string_view>

#include "config/siteconfig.h"
#include "qtbridge/qtbridge.h"
#include "search/ranklookup.h"
#include "search/resultlist.h"
#include "ui/design.h"
#include "ui/detailpanel.h"

namespace thornvale {

namespace {

using namespace std::string_view_literals;

const QString Caption = QStringLiteral("Thornvale 캐릭터 정보검색 프로그램");
constexpr int PointSize = 9;
// The client area below the menu bar, in twips.
constexpr int ClientWidth = 11055;
constexpr int ClientHeight = 7185;
// The focus timer's tick.
constexpr int FocusTick = 1024;
// The list's columns in twips; the address column is one twip wide on purpose: it carries the
// address without showing it.
constexpr std::array<int, ResultRow::CellCount> ColumnWidths = { 400, 1000, 1300, 500, 1300, 1100, 1 };

enum class Kind { TextBox, Button, List, Box, Label };

struct ControlDesign {
    const char *name;
    Kind kind;
    std::u16string_view text;
    int left, top, width, height;
    // What a screen reader says the control is for; buttons and labels speak their captions.
    std::u16string_view accessibleName;
};

// In creation order, which is the stacking order: the detail panel goes first, beneath all.
constexpr ControlDesign Controls[] = {
    { "txtName", Kind::TextBox, u""sv, 120, 120, 4935, 330, u"캐릭터 이름"sv },
    { "txtnick", Kind::TextBox, NicknameHint, 120, 510, 1815, 330, u"닉네임"sv },
    { "txtAdd", Kind::TextBox, ServerHint, 2040, 495, 1815, 330, u"서버명"sv },
    { "Command3", Kind::Button, u"상세검색"sv, 3960, 495, 1095, 345, {} },
    { "LV", Kind::List, {}, 120, 900, 4935, 5865, u"검색 결과"sv },
    { "Command1", Kind::Button, u"처음으로"sv, 120, 6840, 2535, 255, {} },
    { "Command2", Kind::Button, u"다음 페이지"sv, 2760, 6840, 2295, 255, {} },
    { "P", Kind::Box, {}, 6120, 240, 300, 330, {} },
    { "pic1", Kind::Box, {}, 7680, 240, 3150, 320, u"음악"sv },
    { "Label2", Kind::Label, u"음악 출저 : 하늘음악창고"sv, 8400, 555, 2415, 255, {} },
};

struct MenuDesign {
    const char *name;
    const char *parent; // nullptr: the menu bar; "" : a popup of its own
    bool submenu;
    std::u16string_view caption; // empty: the caption of utility `download`
    int download = -1;
};

constexpr MenuDesign Menus[] = {
    { "menu2", nullptr, false, u"트레이"sv },
    { "menu", nullptr, true, u"메뉴"sv },
    { "mm2", "menu", true, u"노래"sv },
    { "gayo", "mm2", false, u"가요"sv },
    { "pop", "mm2", false, u"팝송"sv },
    { "club", "mm2", false, u"클럽"sv },
    { "umenu", "menu", true, u"유틸리티"sv },
    { "Down1", "umenu", false, {}, 0 },
    { "Down2", "umenu", false, {}, 1 },
    { "Down3", "umenu", false, {}, 2 },
    { "mm3", "menu", true, u"홈페이지"sv },
    { "inven", "mm3", false, u"토른인벤"sv },
    { "gong", "mm3", false, u"토른공홈"sv },
    { "naver", "mm3", false, u"네이버?"sv },
    { "menu34", "", true, u"메에뉴"sv },
    { "gourl", "menu34", false, u"주소접속"sv },
    { "cmdcmd", "menu34", false, u"바로검색"sv },
};

// The face the layout was drawn with, else a Hangul face the system has.
QString hangulFamily()
{
    const QStringList families = QFontDatabase::families();
    for (const QString &name : { QStringLiteral("맑은 고딕"), QStringLiteral("Malgun Gothic"),
             QStringLiteral("Noto Sans CJK KR") }) {
        if (families.contains(name))
            return name;
    }
    return {};
}

QWidget *makeControl(const ControlDesign &d, QWidget *client)
{
    QWidget *w = nullptr;
    switch (d.kind) {
    case Kind::TextBox:
        w = new QLineEdit(toQString(d.text), client);
        break;
    case Kind::Button: {
        auto *button = new QPushButton(toQString(d.text), client);
        button->setAutoDefault(false);
        w = button;
        break;
    }
    case Kind::List:
        w = new QTreeView(client);
        break;
    case Kind::Box:
        w = new QWidget(client);
        break;
    case Kind::Label: {
        auto *label = new QLabel(toQString(d.text), client);
        label->setTextFormat(Qt::PlainText);
        w = label;
        break;
    }
    }
    w->setObjectName(QLatin1String(d.name));
    w->setGeometry(pxRect(d.left, d.top, d.width, d.height));
    if (!d.accessibleName.empty())
        w->setAccessibleName(toQString(d.accessibleName));
    return w;
}

void setUpList(QTreeView *list, QAbstractItemModel *results)
{
    list->setModel(results);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setBackgroundRole(design::WindowBackground);
    list->setForegroundRole(design::WindowText);
    QHeaderView *header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(0);
    for (int c = 0; c < ResultRow::CellCount; ++c)
        header->resizeSection(c, px(ColumnWidths[std::size_t(c)]));
}

} // namespace

void Form1Design::setupUi(QMainWindow *form, const SiteConfig &config, QAbstractItemModel *results)
{
    form->setObjectName(QStringLiteral("Form1"));
    form->setWindowTitle(Caption);
    QFont face = form->font();
    if (const QString family = hangulFamily(); !family.isEmpty())
        face.setFamilies({ family });
    face.setPointSize(PointSize);
    form->setFont(face);

    auto *client = new QWidget(form);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(ClientWidth), px(ClientHeight));
    form->setCentralWidget(client);

    // First, so that every control lies above it.
    panel = new DetailPanel(client);
    for (const ControlDesign &d : Controls)
        makeControl(d, client);
    auto find = [client]<typename T>(T *&slot, const char *name) {
        slot = client->findChild<T *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    };
    find(txtName, "txtName");
    find(txtnick, "txtnick");
    find(txtAdd, "txtAdd");
    find(Command3, "Command3");
    find(LV, "LV");
    find(Command1, "Command1");
    find(Command2, "Command2");
    find(P, "P");
    find(pic1, "pic1");
    find(Label2, "Label2");

    setUpList(LV, results);
    Command1->setEnabled(false);
    P->setVisible(false);
    pic1->setBackgroundRole(design::WindowBackground);
    pic1->setForegroundRole(design::WindowText);
    pic1->setAutoFillBackground(true);
    pic1->setFocusPolicy(Qt::TabFocus);

    copyRow = new QAction(LV);
    copyRow->setObjectName(QStringLiteral("copyRow"));
    copyRow->setShortcut(QKeySequence::Copy);
    copyRow->setShortcutContext(Qt::WidgetShortcut);
    LV->addAction(copyRow);

    Timer2 = new QTimer(form);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(FocusTick);
    Timer2->setSingleShot(true);

    QMenuBar *bar = form->menuBar();
    // The client area lies below the menu bar in every desktop, never in a global menu.
    bar->setNativeMenuBar(false);
    for (const MenuDesign &m : Menus) {
        const QString caption = m.download >= 0 ? toQString(config.downloads[std::size_t(m.download)].caption)
                                                : toQString(m.caption);
        QWidget *owner = !m.parent ? static_cast<QWidget *>(bar)
            : *m.parent            ? static_cast<QWidget *>(form->findChild<QMenu *>(QLatin1String(m.parent)))
                                   : static_cast<QWidget *>(form);
        if (m.submenu) {
            auto *sub = new QMenu(caption, owner);
            sub->setObjectName(QLatin1String(m.name));
            // Popups are windows of their own and would not inherit the window's face otherwise.
            sub->setAttribute(Qt::WA_WindowPropagation);
            sub->setFont(face);
            if (auto *parentMenu = qobject_cast<QMenu *>(owner))
                parentMenu->addMenu(sub);
            else if (owner == bar)
                bar->addMenu(sub);
        } else {
            auto *action = new QAction(caption, owner);
            action->setObjectName(QLatin1String(m.name));
            owner->addAction(action);
        }
    }
    auto action = [form](const char *name) { return form->findChild<QAction *>(QLatin1String(name)); };
    menu2 = action("menu2");
    gayo = action("gayo");
    pop = action("pop");
    club = action("club");
    Down1 = action("Down1");
    Down2 = action("Down2");
    Down3 = action("Down3");
    inven = action("inven");
    gong = action("gong");
    naver = action("naver");
    menu34 = form->findChild<QMenu *>(QStringLiteral("menu34"));
    gourl = action("gourl");
    cmdcmd = action("cmdcmd");

    // The window keeps its design size; the menu bar's height comes on top of the client area.
    form->layout()->setSizeConstraint(QLayout::SetFixedSize);

    QWidget::setTabOrder(txtName, LV);
    QWidget::setTabOrder(LV, pic1);
    QWidget::setTabOrder(pic1, txtAdd);
    QWidget::setTabOrder(txtAdd, Command1);
    QWidget::setTabOrder(Command1, Command2);
    QWidget::setTabOrder(Command2, txtnick);
    QWidget::setTabOrder(txtnick, Command3);
}

} // namespace thornvale
