// The music module: the strip's browser `WB` and its `Form2` pop-ups, with all of QtWebEngine
// behind them. The program loads this plugin on the first music choice (shell/musicstrip.cpp).

#include "music/form2.h"
#include "music/musicengine.h"

#include <QCoreApplication>
#include <QIcon>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

// QtGui exports this but declares it only in a private header. QtWebEngine renders through a GL
// context shared with every other one in the process, and Qt makes that shared context only at
// start: when the program links QtWebEngine or sets Qt::AA_ShareOpenGLContexts. Either way every
// run pays for a whole GL driver (some 60 MiB and 120 ms under Mesa) before any music is chosen.
// Loaded late, QtWebEngine finds no shared context and crashes on its first view, so this module
// registers one itself just before that view, as QtWebEngine 5 used to when initialised late.
// src/music/CMakeLists.txt checks at configure time that the symbol links.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace thornvale {

namespace {

// The most Form2 windows open at once.
constexpr qsizetype MaxPopups = 8;

// -120, -120 twips and 15000 x 15000 twips at 15 twips a pixel: the page's top 8 and left 8
// pixels stay hidden behind pic1's edge.
constexpr QRect kBrowserGeometry(-8, -8, 1000, 1000);

void dropShareContext()
{
    QOpenGLContext *context = QOpenGLContext::globalShareContext();
    qt_gl_set_global_share_context(nullptr);
    delete context;
}

void ensureShareContext()
{
    // A program that links QtWebEngine after all (the tests that look into the browser) has one.
    if (QOpenGLContext::globalShareContext())
        return;
    // Made as QGuiApplication makes its own at start: the default format, registered whatever
    // create() answers, so QtWebEngine meets the same context it would have met then.
    auto *context = new QOpenGLContext;
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
    // Post routines run last registered first: QtWebEngine registers its own teardown when the
    // first view starts it, after this, so the context outlives the browser.
    qAddPostRoutine(dropShareContext);
}

// The main window's page: every new window it asks for becomes a Form2 of its own.
class MusicPage final : public QWebEnginePage {
public:
    MusicPage(QWebEngineProfile *profile, const QIcon &popupIcon, QObject *parent)
        : QWebEnginePage(profile, parent)
        , m_popupIcon(popupIcon)
    {
    }

protected:
    QWebEnginePage *createWindow(WebWindowType) override
    {
        // Each pop-up is a whole browser; a page that opens windows in a loop would otherwise
        // take all the memory there is.
        if (Form2::instances().size() >= MaxPopups) {
            qWarning("thornvale: a music page asked for a pop-up window past the %d open; refused",
                int(MaxPopups));
            return nullptr;
        }
        auto *form = new Form2(profile(), m_popupIcon);
        form->show();
        return form->page();
    }

private:
    QIcon m_popupIcon;
};

} // namespace

class MusicModule final : public QObject, public MusicEngine {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID ThornvaleMusicEngine_iid)
    Q_INTERFACES(thornvale::MusicEngine)
    Q_DISABLE_COPY_MOVE(MusicModule)

public:
    MusicModule() = default;
    ~MusicModule() override = default;

    QWidget *createBrowser(QWidget *pic1, const QIcon &popupIcon) override
    {
        ensureShareContext();
        auto *view = new QWebEngineView(pic1);
        view->setObjectName(QStringLiteral("WB"));
        auto *page = new MusicPage(QWebEngineProfile::defaultProfile(), popupIcon, view);
        // The pages play as they load, as the music menu promises, and open their pop-ups
        // without a click.
        page->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
        view->setPage(page);
        view->setGeometry(kBrowserGeometry);
        view->show();
        return view;
    }

    void navigate(QWidget *browser, const QUrl &address) override
    {
        if (auto *view = qobject_cast<QWebEngineView *>(browser))
            view->load(address);
    }

    QList<QWidget *> popups() const override
    {
        const QList<Form2 *> open = Form2::instances();
        return QList<QWidget *>(open.begin(), open.end());
    }

    void closePopups() override { Form2::closeAll(); }
};

} // namespace thornvale

#include "musicmodule.moc"
