#include "browserpage.h"

namespace BrowserPage {

int pageCount(int count) { return count <= 0 ? 0 : (count + itemsPerPage - 1) / itemsPerPage; }

int clampPage(int page, int count)
{
    if (page <= 0)
        return 0;
    const int pages = pageCount(count);
    return page > pages ? pages : page;
}

View blank()
{
    View v;
    for (int i = 0; i < itemsPerPage; ++i)
        v.texts << QString();
    v.label = QStringLiteral("0/0");
    return v;
}

View page(const QStringList &names, int p, bool fileMode)
{
    View v = blank();
    const int pages = pageCount(names.size());
    if (pages == 0 || p < 1 || p > pages)
        return v;
    for (int i = 0; i < itemsPerPage; ++i) {
        const int k = (p - 1) * itemsPerPage + i;
        if (k >= names.size())
            break;
        v.texts[i] = fileMode ? names.at(k).left(names.at(k).size() - 4) : names.at(k);
        v.shown = i + 1;
    }
    v.label = QStringLiteral("%1/%2").arg(QString::number(p), QString::number(pages));
    v.nextEnabled = p != pages;
    v.preEnabled = pages >= 2;
    v.allEnabled = true;
    return v;
}

} // namespace BrowserPage
