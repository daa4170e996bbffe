#include "shell/musicstrip.h"

#include "shell/form2.h"
#include "search/siteconfig.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWidget>

namespace thornvale {

namespace {

// -120, -120 twips and 15000 x 15000 twips at 15 twips a pixel: the page's top 8 and left 8
// pixels stay hidden behind pic1's edge.
constexpr QRect kBrowserGeometry(-8, -8, 1000, 1000);

// The main window's page: every new window it asks for becomes a Form2 of its own.
class MusicPage final : public QWebEnginePage {
public:
    MusicPage(QWebEngineProfile *profile, QObject *parent)
        : QWebEnginePage(profile, parent)
    {
    }

protected:
    QWebEnginePage *createWindow(WebWindowType) override
    {
        auto *form = new Form2(profile());
        form->show();
        return form->page();
    }
};

} // namespace

QUrl MusicAddress(MusicChoice choice)
{
    const std::u16string &address = SiteConfig::compiledIn().musicUrls[std::size_t(choice)];
    return QUrl(QString(reinterpret_cast<const QChar *>(address.data()), qsizetype(address.size())));
}

MusicStrip::MusicStrip(QWidget *pic1)
    : QObject(pic1)
    , m_pic1(pic1)
{
}

MusicStrip::~MusicStrip() = default;

void MusicStrip::navigate(const QUrl &address)
{
    if (!m_view) {
        m_view = new QWebEngineView(m_pic1);
        m_view->setObjectName(QStringLiteral("WB"));
        auto *page = new MusicPage(QWebEngineProfile::defaultProfile(), m_view);
        // The pages play as they load, as the music menu promises, and open their pop-ups
        // without a click.
        page->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        page->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
        m_view->setPage(page);
        m_view->setGeometry(kBrowserGeometry);
        m_view->show();
    }
    m_view->load(address);
}

} // namespace thornvale
