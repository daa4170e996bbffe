#pragma once

// `Form2`: the small plain browser window that a music page's request for a new window opens. It
// has no owner and no menu; it closes itself when its page closes the window by script. It shows
// once its page has an address of the web; a window that stays empty is refused.

#include <QList>
#include <QWidget>

class QIcon;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace thornvale {

class Form2 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form2)

public:
    // The page must share the opener's profile for the requested page to load into it. The icon is
    // the program's; the module has no resources of its own.
    Form2(QWebEngineProfile *profile, const QIcon &icon);
    ~Form2() override;

    // What the opener's createWindow hands back: the requested page loads here.
    QWebEnginePage *page() const;
    QWidget *pic2() const { return m_pic2; }
    QWebEngineView *WB() const { return m_wb; }

    // Every Form2 that is open and shows its page, oldest first.
    static QList<Form2 *> instances();
    // Every Form2 there is, including those that do not show their page yet.
    static qsizetype openCount();
    // Ends every Form2 at once; the main window's close path calls it before the program ends.
    static void closeAll();

private:
    void showPage();

    QWidget *m_pic2;
    QWebEngineView *m_wb;
    QWebEnginePage *m_page; // a child of m_wb
    bool m_showsPage = false;
};

} // namespace thornvale
