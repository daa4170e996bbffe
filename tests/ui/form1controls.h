#pragma once

// The main window's controls, found by the names the window gives them, as an accessibility tool
// or a test finds them: the window keeps no public pointers to its widgets. Finding them walks the
// window some seventy times, so a test finds them once for each window it makes and keeps them.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <array>
#include <optional>

#include "ui/detailpanel.h"

namespace uitest {

struct Form1Controls {
    explicit Form1Controls(const QWidget &form)
        : m_form(form)
    {
        using thornvale::DetailPanel;
        for (int k : { DetailPanel::Title, DetailPanel::Job, DetailPanel::SubLine, DetailPanel::Server,
                 DetailPanel::Nickname })
            Label1[std::size_t(k)] = child<QLabel>(QStringLiteral("Label1_%1").arg(k));
        for (int k = 1; k <= 20; ++k)
            Litem[std::size_t(k)] = child<QLabel>(QStringLiteral("Litem_%1").arg(k));
        for (int k = 1; k <= 18; ++k)
            LDitem[std::size_t(k)] = child<QLabel>(QStringLiteral("LDitem_%1").arg(k));
    }

    template <typename T> T *child(const QString &name) const { return m_form.findChild<T *>(name); }

    const QWidget &m_form;
    QLineEdit *txtName = child<QLineEdit>(QStringLiteral("txtName"));
    QLineEdit *txtnick = child<QLineEdit>(QStringLiteral("txtnick"));
    QLineEdit *txtAdd = child<QLineEdit>(QStringLiteral("txtAdd"));
    QPushButton *Command1 = child<QPushButton>(QStringLiteral("Command1"));
    QPushButton *Command2 = child<QPushButton>(QStringLiteral("Command2"));
    QPushButton *Command3 = child<QPushButton>(QStringLiteral("Command3"));
    QTreeView *LV = child<QTreeView>(QStringLiteral("LV"));
    QWidget *P = child<QWidget>(QStringLiteral("P"));
    QWidget *pic1 = child<QWidget>(QStringLiteral("pic1"));
    QLabel *Label2 = child<QLabel>(QStringLiteral("Label2"));
    QTimer *Timer2 = child<QTimer>(QStringLiteral("Timer2"));
    QAction *menu2 = child<QAction>(QStringLiteral("menu2"));
    QMenu *menu = child<QMenu>(QStringLiteral("menu"));
    QMenu *mm2 = child<QMenu>(QStringLiteral("mm2"));
    QAction *gayo = child<QAction>(QStringLiteral("gayo"));
    QAction *pop = child<QAction>(QStringLiteral("pop"));
    QAction *club = child<QAction>(QStringLiteral("club"));
    QMenu *umenu = child<QMenu>(QStringLiteral("umenu"));
    QAction *Down1 = child<QAction>(QStringLiteral("Down1"));
    QAction *Down2 = child<QAction>(QStringLiteral("Down2"));
    QAction *Down3 = child<QAction>(QStringLiteral("Down3"));
    QMenu *mm3 = child<QMenu>(QStringLiteral("mm3"));
    QAction *inven = child<QAction>(QStringLiteral("inven"));
    QAction *gong = child<QAction>(QStringLiteral("gong"));
    QAction *naver = child<QAction>(QStringLiteral("naver"));
    QMenu *menu34 = child<QMenu>(QStringLiteral("menu34"));
    QAction *gourl = child<QAction>(QStringLiteral("gourl"));
    QAction *cmdcmd = child<QAction>(QStringLiteral("cmdcmd"));
    std::array<QLabel *, 6> Label1 {};
    std::array<QLabel *, 21> Litem {};
    std::array<QLabel *, 19> LDitem {};
};

// The message box on top, if any.
inline QMessageBox *openMessageBox()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

} // namespace uitest
