#pragma once

// What a music page reaches of the program through its view, beyond the page itself: the tooltip,
// the context menu and the colour chooser are widgets of the program, drawn in its process.

#include <QString>

class QWebEngineView;

namespace thornvale {

// Guards view, the strip's or a Form2's, for as long as it lives: the page's tooltips show as
// short plain text, the context menu holds Back, Forward, Reload and Copy only, and a colour
// chooser the page opens is refused before it shows.
void guardView(QWebEngineView *view);

// A page's tooltip as the view shows it: its text cut to a few hundred characters and a dozen
// lines, marked up so that nothing in it is read as markup.
QString plainToolTip(const QString &pageText);

} // namespace thornvale
