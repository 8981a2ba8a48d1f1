#pragma once
// What the browser shows for one page of a list: fifteen item texts, the page
// label and which buttons may be pressed. Kept apart from the widgets so the
// paging rules can be read and checked on their own.

#include <QString>
#include <QStringList>

namespace BrowserPage {

constexpr int itemsPerPage = 15;

// ceil(count / 15); 0 for an empty list.
int pageCount(int count);

// Page to show after the list changed: `page` stepped back to the last page;
// 0 when there is nothing to show (empty list or page 0).
int clampPage(int page, int count);

struct View {
    QStringList texts;   // always 15 entries
    int shown = 0;       // the first `shown` buttons carry an item and are enabled
    QString label;       // "p/n" or "0/0"
    bool preEnabled = false;
    bool nextEnabled = false;
    bool allEnabled = false; // delete-all and export-all
};

// The blank view of an empty list.
View blank();

// Page p (1-based) of names. Hole-file names lose their last four characters
// (dot and extension) when `fileMode` is set. An empty list gives the blank
// view.
View page(const QStringList &names, int p, bool fileMode);

} // namespace BrowserPage
