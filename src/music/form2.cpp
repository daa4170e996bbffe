#include "music/form2.h"

#include "music/heaptrim.h"
#include "music/musicpage.h"
#include "music/pagewatch.h"
#include "music/viewguard.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <chrono>

namespace thornvale {

namespace {

// Design sizes at 15 twips a pixel: client 5040 x 4350, pic2 5055 x 4335, WB 15000 x 15000.
constexpr QSize kClientSize(336, 290);
constexpr QSize kPic2Size(337, 289);
constexpr QSize kBrowserSize(1000, 1000);
// How long a new window may stay without an address of its own before it is refused.
constexpr std::chrono::seconds kEmptyWindowTime { 3 };

QList<Form2 *> &registry()
{
    static QList<Form2 *> open;
    return open;
}

} // namespace

Form2::Form2(QWebEngineProfile *profile, const QIcon &icon)
    : QWidget(nullptr,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint
            | Qt::MSWindowsFixedSizeDialogHint)
    , m_pic2(new QWidget(this))
    , m_wb(new QWebEngineView(m_pic2))
    , m_page(new MusicPage(profile, m_wb))
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A page opens its pop-ups on its own; the user may be typing a name in the main window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Only the main window decides when the program ends: closing the last pop-up while the main
    // window sits in the tray must not end it, and a pop-up left open must not keep it running.
    setAttribute(Qt::WA_QuitOnClose, false);
    // Blank in the title bar: Qt puts the application's name into an empty title, not into one
    // of a single space.
    setWindowTitle(QStringLiteral(" "));
    setWindowIcon(icon);
    setFixedSize(kClientSize);

    m_pic2->setObjectName(QStringLiteral("pic2"));
    m_pic2->setGeometry(QRect(QPoint(0, 0), kPic2Size));
    m_pic2->setAutoFillBackground(true);
    m_pic2->setBackgroundRole(QPalette::Base);
    m_pic2->setForegroundRole(QPalette::Text);

    // Its own requests for new windows are not handled, and it may ask for any size or position
    // without effect (geometryChangeRequested stays unconnected).
    m_wb->setObjectName(QStringLiteral("WB"));
    m_wb->setGeometry(QRect(QPoint(0, 0), kBrowserSize));
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
    // Qt 6.4 crashes the whole program when a view shows a new window that is still its first,
    // empty document and the opener changes that document (window.open('') and document.write,
    // a common way to fill a pop-up; any change does it, innerHTML too). A page that never shows
    // in a view is safe. So the window is shown once its page goes to an address of the web, and
    // one that stays empty is refused.
    m_wb->hide();
    auto showOnWeb = [this](const QUrl &url) {
        const QString scheme = url.scheme();
        if (!m_showsPage && (scheme == u"http" || scheme == u"https"))
            showPage();
    };
    connect(m_page, &QWebEnginePage::urlChanged, this, showOnWeb);
    connect(m_page, &QWebEnginePage::loadStarted, this, [this, showOnWeb] { showOnWeb(m_page->url()); });
    QTimer::singleShot(kEmptyWindowTime, this, [this] {
        if (m_showsPage)
            return;
        reportRefusal(QStringLiteral("a music page's pop-up window without an address was refused"));
        deleteLater();
    });

    // Centred on the screen, so two pop-ups opened one after the other lie on top of each other.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(
            QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kClientSize, screen->availableGeometry()));

    registry().append(this);
}

Form2::~Form2()
{
    registry().removeOne(this);
    // A pop-up's browser frees some 20 MiB, which glibc would keep.
    trimHeapSoon();
}

void Form2::showPage()
{
    m_wb->setPage(m_page);
    guardView(m_wb);
    // Only watched: a pop-up takes no choices, but may grow or share a process that does.
    new PageWatch(m_wb);
    m_wb->show();
    m_showsPage = true;
    show();
}

QWebEnginePage *Form2::page() const
{
    return m_page;
}

QList<Form2 *> Form2::instances()
{
    QList<Form2 *> showing;
    for (Form2 *form : registry()) {
        if (form->m_showsPage)
            showing.append(form);
    }
    return showing;
}

qsizetype Form2::openCount()
{
    return registry().size();
}

void Form2::closeAll()
{
    // Deleted at once rather than later: the program is about to end, and a page must not
    // outlive the event loop that would run a deferred delete.
    const QList<Form2 *> open = registry();
    for (Form2 *form : open)
        delete form;
}

} // namespace thornvale
