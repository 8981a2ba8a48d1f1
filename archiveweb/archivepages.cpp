#include "archivepages.h"

#include "htmltext.h"
#include "verdict.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace {
QString tr(const char *source) { return QCoreApplication::translate("CArchivePages", source); }
QString esc(const QString &t) { return htmlEscape(t); }

QString projectLink(const QString &project)
{
    return QStringLiteral("<a href=\"/project?name=%1\">%2</a>").arg(esc(urlValue(project)), esc(project));
}

QString holeLink(const QString &project, const QString &hole, const QString &text, qint64 version = 0)
{
    QString href = QStringLiteral("/hole?project=%1&hole=%2").arg(urlValue(project), urlValue(hole));
    if (version > 0)
        href += QStringLiteral("&v=%1").arg(version);
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(esc(href), esc(text));
}

QString fileLink(const QString &sha, const QString &name)
{
    return QStringLiteral("<a href=\"/file?sha=%1&amp;name=%2\" download>%3</a>").arg(sha, esc(urlValue(name)), esc(name));
}

QString verdictText(const QString &verdict, int quality)
{
    if (verdict == QLatin1String("pass"))
        return tr("合格");
    if (verdict == QLatin1String("fail"))
        return tr("不合格");
    if (verdict == QLatin1String("not judged"))
        return tr("未判定");
    return quality == 0 ? tr("合格") : tr("不合格");
}

// A test not judged yet (quality < 0) has no thickness to show.
QString thicknessText(int cm, int quality) { return quality < 0 ? QStringLiteral("—") : QString::number(cm); }

// The operator's override under a final verdict: "改判：监理确认", or
// "改判" for one stored without a reason; empty without an override.
QString overrideNote(bool overridden, const QString &reasonKey)
{
    if (!overridden)
        return QString();
    const QString reason = OverrideReason::text(OverrideReason::fromKey(reasonKey));
    return reason.isEmpty() ? tr("改判") : tr("改判：%1").arg(reason);
}

QString verdictClass(const QString &verdict, int quality)
{
    const bool failed = verdict.isEmpty() ? quality != 0 : verdict == QLatin1String("fail");
    const bool open = verdict == QLatin1String("not judged");
    return open ? QStringLiteral("open") : failed ? QStringLiteral("fail") : QStringLiteral("pass");
}

// The final verdict, and the override with its reason beneath it, and
// who judged it again in the office (rejudgedBy, when someone did).
QString verdictCell(const QString &verdict, int quality, bool overridden, const QString &reasonKey,
                    const QString &rejudgedBy = QString())
{
    QString notes;
    for (const QString &note : {overrideNote(overridden, reasonKey),
                                rejudgedBy.isEmpty() ? QString() : tr("办公室改判：%1").arg(rejudgedBy)}) {
        if (!note.isEmpty())
            notes += QStringLiteral("<br><small class=\"override\">%1</small>").arg(esc(note));
    }
    return QStringLiteral("<td class=\"%1\">%2%3</td>")
        .arg(verdictClass(verdict, quality), esc(verdictText(verdict, quality)), notes);
}

// Who signed the shown version and whether that still holds.
QString signatureText(const VersionSignature &s)
{
    const QString revoked = s.revokedAt.left(19).replace(QLatin1Char('T'), QLatin1Char(' '));
    switch (s.state) {
    case VersionSignature::Verified:
        return s.revokedAt.isEmpty()
                   ? tr("由仪器 %1 签名，已验证").arg(s.deviceName)
                   : tr("由仪器 %1 签名，已验证（该仪器已于 %2 吊销，本检测在此之前收到）").arg(s.deviceName, revoked);
    case VersionSignature::Revoked:
        return tr("由仪器 %1 签名，但该仪器已于 %2 吊销：未验证").arg(s.deviceName, revoked);
    case VersionSignature::Broken:
        return tr("由仪器 %1 签名，但签名与文件不符：未验证").arg(s.deviceName);
    case VersionSignature::Unsigned:
        break;
    }
    return tr("未签名（从文件夹导入）");
}

QString signatureClass(const VersionSignature &s)
{
    switch (s.state) {
    case VersionSignature::Verified: return QStringLiteral("signed");
    case VersionSignature::Unsigned: return QStringLiteral("unsigned");
    default: return QStringLiteral("fail");
    }
}

QString utcMinutes(const QString &isoTime) { return isoTime.left(16).replace(QLatin1Char('T'), QLatin1Char(' ')) + QStringLiteral(" UTC"); }

// "re-judged in the office by NAME at TIME: REASON".
QString officeNote(const VersionRow &r)
{
    return tr("由 %1 于 %2 在办公室改判：%3").arg(r.rejudgedBy, utcMinutes(r.rejudgedAt), r.rejudgeReason);
}

// The instrument's own judgement beside an office version.
QString instrumentNote(const QVector<VersionRow> &history, const VersionRow &r)
{
    const VersionRow *from = instrumentJudgement(history, r);
    if (!from)
        return tr("仪器的判定不在档案中");
    return tr("版本 %1：沉渣 %2 cm，%3").arg(QString::number(from->version), thicknessText(from->thicknessCm, from->quality),
                                           verdictText(from->verdict, from->quality));
}

// The form that judges the shown version again (only for those who may,
// and only on the newest version of its test). Plain HTML: no scripts.
QString rejudgeForm(const HolePageData &d)
{
    const VersionRow &v = *d.shown;
    QString basisOptions = QStringLiteral("<option value=\"\">%1</option>").arg(esc(tr("不变")));
    for (const PileBasisChoice &c : d.bases) {
        const QString value = c.code + QLatin1Char('|') + c.pileType;
        basisOptions += QStringLiteral("<option value=\"%1\">%2</option>")
                            .arg(esc(value), esc(QStringLiteral("%1 %2").arg(c.code, pileTypeText(c.pileType))));
    }
    return QStringLiteral(
               "<section class=\"rejudge\"><h2>%1</h2>\n<form action=\"/rejudge\" method=\"post\">"
               "<input type=\"hidden\" name=\"project\" value=\"%2\"><input type=\"hidden\" name=\"hole\" value=\"%3\">"
               "<input type=\"hidden\" name=\"version\" value=\"%4\"><input type=\"hidden\" name=\"csrf\" value=\"%5\">\n"
               "<label>%6 <input type=\"number\" name=\"thickness\" min=\"0\" max=\"10000\" step=\"1\" value=\"%7\" required></label>\n"
               "<label>%8 <select name=\"quality\"><option value=\"\">%9</option><option value=\"0\">%10</option>"
               "<option value=\"1\">%11</option></select></label>\n"
               "<label>%12 <select name=\"basis\">%13</select></label>\n"
               "<label>%14 <input type=\"number\" name=\"limit\" min=\"1\" max=\"100000\" step=\"1\"></label>\n"
               "<label class=\"reason\">%15 <textarea name=\"reason\" maxlength=\"1000\" rows=\"2\" required></textarea></label>\n"
               "<button type=\"submit\">%16</button></form></section>\n")
        .arg(esc(tr("在办公室改判")), esc(d.project), esc(d.hole), QString::number(v.id), esc(d.access.csrfToken),
             esc(tr("沉渣厚度 (cm)")), QString::number(qMax(0, v.thicknessCm)), esc(tr("成孔质量")),
             esc(tr("按判定")), esc(tr("合格")), esc(tr("不合格")), esc(tr("验收依据")), basisOptions,
             esc(tr("设计限值 (mm)")), esc(tr("理由（必填）")), esc(tr("保存为新版本")));
}

QString limitCell(const std::optional<int> &limitMm)
{
    return QStringLiteral("<td class=\"num\">%1</td>").arg(limitMm ? QString::number(*limitMm) : QStringLiteral("—"));
}

QByteArray page(const QString &title, const QString &body, const QString &query = QString())
{
    QString html;
    html.reserve(body.size() + 1024);
    html += QStringLiteral("<!DOCTYPE html>\n<html lang=\"%1\"><head><meta charset=\"utf-8\">"
                           "<meta name=\"viewport\" content=\"width=device-width\">"
                           "<title>%2</title><link rel=\"stylesheet\" href=\"/style.css\"></head>\n<body>\n"
                           "<header><a class=\"home\" href=\"/\">%3</a>"
                           "<form action=\"/search\" method=\"get\" role=\"search\">"
                           "<input type=\"search\" name=\"q\" value=\"%4\" placeholder=\"%5\">"
                           "<button type=\"submit\">%6</button></form></header>\n<main>\n")
                .arg(tr("zh"), esc(title), esc(tr("桩孔沉渣检测档案")), esc(query), esc(tr("工程、孔号、检测人、单位")),
                     esc(tr("搜索")));
    html += body;
    html += QStringLiteral("</main>\n</body></html>\n");
    return html.toUtf8();
}

QString metres(int mm) { return QString::number(mm / 1000.0, 'f', 2); }
QString value(float v) { return std::isfinite(v) ? QString::number(double(v), 'f', 2) : QStringLiteral("—"); }
} // namespace

namespace ArchivePages {
QVector<HoleRow> failedFirst(QVector<HoleRow> holes)
{
    std::stable_sort(holes.begin(), holes.end(), [](const HoleRow &a, const HoleRow &b) {
        if (a.failed() != b.failed())
            return a.failed();
        return holeNameLess(a.hole, b.hole);
    });
    return holes;
}

QByteArray projectList(const QVector<ProjectRow> &projects)
{
    QString b = QStringLiteral("<h1>%1</h1>\n").arg(esc(tr("工程")));
    if (projects.isEmpty()) {
        b += QStringLiteral("<p>%1</p>\n").arg(esc(tr("档案中还没有孔。")));
        return page(tr("工程"), b);
    }
    b += QStringLiteral("<table class=\"list\"><thead><tr><th>%1</th><th>%2</th><th>%3</th><th>%4</th><th>%5</th>"
                        "<th>%6</th><th>%7</th></tr></thead><tbody>\n")
             .arg(esc(tr("工程")), esc(tr("孔数")), esc(tr("检测次数")), esc(tr("版本数")), esc(tr("合格")),
                  esc(tr("不合格")), esc(tr("未判定")));
    for (const ProjectRow &p : projects)
        b += QStringLiteral("<tr><td>%1</td><td class=\"num\">%2</td><td class=\"num\">%3</td><td class=\"num\">%4</td>"
                            "<td class=\"num pass\">%5</td><td class=\"num%6\">%7</td><td class=\"num\">%8</td></tr>\n")
                 .arg(projectLink(p.project), QString::number(p.holes), QString::number(p.tests),
                      QString::number(p.versions), QString::number(p.passed),
                      p.failed ? QStringLiteral(" fail") : QString(), QString::number(p.failed),
                      QString::number(p.notJudged));
    b += QStringLiteral("</tbody></table>\n");
    return page(tr("工程"), b);
}

QByteArray project(const QString &project, const QVector<HoleRow> &holes)
{
    QString b = QStringLiteral("<h1>%1</h1>\n").arg(esc(project));
    const QString q = esc(urlValue(project));
    b += QStringLiteral("<p class=\"downloads\">%1: <a href=\"/summary.csv?name=%2\" download>CSV</a> · "
                        "<a href=\"/summary.pdf?name=%2\" download>PDF</a></p>\n")
             .arg(esc(tr("项目汇总")), q);
    b += QStringLiteral("<table class=\"list\"><thead><tr><th>%1</th><th>%2</th><th>%3</th><th>%4</th><th>%5</th>"
                        "<th>%6</th><th>%7</th></tr></thead><tbody>\n")
             .arg(esc(tr("孔号")), esc(tr("检测时间")), esc(tr("沉渣厚度 (cm)")), esc(tr("限值 (mm)")), esc(tr("结论")),
                  esc(tr("采样点")), esc(tr("版本")));
    for (const HoleRow &h : failedFirst(holes))
        b += QStringLiteral("<tr%1><td>%2</td><td>%3 %4</td><td class=\"num\">%5</td>%6%7<td class=\"num\">%8</td>"
                            "<td class=\"num\">%9</td></tr>\n")
                 .arg(h.failed() ? QStringLiteral(" class=\"failed\"") : QString(),
                      holeLink(project, h.hole, h.hole), esc(h.testDate), esc(h.testTime),
                      thicknessText(h.thicknessCm, h.quality), limitCell(h.limitMm),
                      verdictCell(h.verdict, h.quality, h.overridden, h.overrideReason, h.rejudgedBy),
                      QString::number(h.samples),
                      QString::number(h.version));
    b += QStringLiteral("</tbody></table>\n");
    return page(project, b);
}

QByteArray hole(const HolePageData &d)
{
    const VersionRow &v = *d.shown;
    const CtrlInfo &info = d.record.info;
    QString b = QStringLiteral("<p class=\"crumbs\">%1 / %2</p>\n<h1>%3</h1>\n")
                    .arg(projectLink(d.project), esc(tr("孔")), esc(d.hole));
    b += QStringLiteral("<section class=\"facts\"><dl>"
                        "<dt>%1</dt><dd>%2 %3</dd><dt>%4</dt><dd>%5</dd><dt>%6</dt><dd>%7</dd>"
                        "<dt>%8</dt><dd>%9 m</dd>")
             .arg(esc(tr("检测时间")), esc(v.testDate), esc(v.testTime), esc(tr("版本")), QString::number(v.version),
                  esc(tr("检测人")), esc(info.tester.get()), esc(tr("孔深")), metres(info.holeDepth));
    // The final verdict first; after an override, what the automatic one
    // was and the operator's reason, as the instrument words it.
    const QString verdict = info.acceptance.overridden && info.acceptance.judged()
                                ? verdictLine(info)
                                : verdictText(v.verdict, v.quality);
    // The verdict and the signature each take a row of their own.
    b += QStringLiteral("<dt>%1</dt><dd>%2 cm</dd><dt>%3</dt><dd>%4</dd><dt>%5</dt><dd>%6</dd>"
                        "<dt class=\"row\">%7</dt><dd class=\"row %8\">%9</dd>")
             .arg(esc(tr("沉渣厚度")), thicknessText(v.thicknessCm, v.quality),
                  esc(tr("限值")), v.limitMm ? QStringLiteral("%1 mm").arg(*v.limitMm) : QStringLiteral("—"),
                  esc(tr("检测单位")), esc(info.testUnit.get()),
                  esc(tr("结论")), verdictClass(v.verdict, v.quality), esc(verdict));
    if (v.officeRejudgement()) {
        // Who judged again, when and why, and what the instrument said.
        b += QStringLiteral("<dt class=\"row\">%1</dt><dd class=\"row office\">%2</dd>"
                            "<dt class=\"row\">%3</dt><dd class=\"row\">%4</dd>")
                 .arg(esc(tr("办公室改判")), esc(officeNote(v)), esc(tr("仪器的判定")),
                      esc(instrumentNote(d.history, v)));
    }
    const QString signature = v.officeRejudgement() && d.signature.state == VersionSignature::Unsigned
                                  ? tr("办公室改判（%1），不经仪器签名").arg(v.rejudgedBy)
                                  : signatureText(d.signature);
    b += QStringLiteral("<dt class=\"row\">%1</dt><dd class=\"row %2\">%3</dd></dl></section>\n")
             .arg(esc(tr("签名")), signatureClass(d.signature), esc(signature));
    bool newest = true;
    for (const VersionRow &r : d.history)
        newest = newest && !(r.testId == v.testId && r.version > v.version);
    if (d.access.mayRejudge() && newest)
        b += rejudgeForm(d);

    b += QStringLiteral("<section class=\"picture\"><h2>%1</h2>\n").arg(esc(tr("电阻率曲线")));
    b += QString::fromUtf8(curveSvg(d.series, d.marks));
    b += QStringLiteral("<p class=\"legend\"><span class=\"key main\"></span>%1").arg(esc(tr("本次")));
    if (d.marks.judgedThicknessCm > 0)
        b += QStringLiteral(" <span class=\"key judged\"></span>%1").arg(esc(tr("判定的沉渣面")));
    if (d.marks.suggested)
        b += QStringLiteral(" <span class=\"key suggested\"></span>%1").arg(esc(tr("建议的沉渣面")));
    if (d.series.size() > 1)
        b += QStringLiteral(" <span class=\"key overlay\"></span>%1").arg(esc(tr("其他检测与版本 (叠加)")));
    b += QStringLiteral("</p></section>\n");

    // Every test and version, with the files to download.
    b += QStringLiteral("<section><h2>%1</h2><table class=\"list\"><thead><tr><th>%2</th><th>%3</th><th>%4</th>"
                        "<th>%5</th><th>%6</th><th>SHA-256</th><th>%7</th></tr></thead><tbody>\n")
             .arg(esc(tr("检测与版本")), esc(tr("检测时间")), esc(tr("版本")), esc(tr("沉渣厚度 (cm)")), esc(tr("结论")),
                  esc(tr("文件")), esc(tr("导入")));
    for (const VersionRow &r : d.history) {
        const bool current = r.id == v.id;
        QString files = fileLink(r.sha256, r.fileName) + QStringLiteral(" <small>(%1 B)</small>").arg(r.size);
        QString shas = QStringLiteral("<code>%1</code>").arg(r.sha256);
        for (const CompanionRow &c : r.companions) {
            files += QStringLiteral("<br>") + fileLink(c.sha256, c.name)
                   + QStringLiteral(" <small>(%1 B)</small>").arg(c.size);
            shas += QStringLiteral("<br><code>%1</code>").arg(c.sha256);
        }
        b += QStringLiteral("<tr%1><td>%2 %3</td><td class=\"num\">%4</td><td class=\"num\">%5</td>%6<td>%7</td>"
                            "<td class=\"sha\">%8</td><td>%9</td></tr>\n")
                 .arg(current ? QStringLiteral(" class=\"current\"") : QString(), esc(r.testDate), esc(r.testTime),
                      current ? QString::number(r.version)
                              : holeLink(d.project, d.hole, QString::number(r.version), r.id),
                      thicknessText(r.thicknessCm, r.quality),
                      verdictCell(r.verdict, r.quality, r.overridden, r.overrideReason), files, shas,
                      esc(r.importedAt.left(19).replace(QLatin1Char('T'), QLatin1Char(' '))) + QStringLiteral("<br>")
                          + esc(r.importedBy)
                          + (r.officeRejudgement()
                                 ? QStringLiteral("<br><small class=\"override\">%1</small>").arg(esc(officeNote(r)))
                                 : QString()));
    }
    b += QStringLiteral("</tbody></table></section>\n");

    // The samples, a page at a time.
    const QVector<Sample> &samples = d.record.samples;
    const int pages = qMax(1, (samples.size() + TableRowsPerPage - 1) / TableRowsPerPage);
    const int p = qBound(0, d.tablePage, pages - 1);
    b += QStringLiteral("<section><h2>%1</h2>\n").arg(esc(tr("采样点")));
    if (pages > 1) {
        b += QStringLiteral("<p class=\"pages\">");
        for (int i = 0; i < pages; ++i) {
            if (i == p) {
                b += QStringLiteral("<strong>%1</strong> ").arg(i + 1);
                continue;
            }
            QString href = QStringLiteral("/hole?project=%1&hole=%2&v=%3&page=%4")
                               .arg(urlValue(d.project), urlValue(d.hole), QString::number(v.id),
                                    QString::number(i + 1));
            b += QStringLiteral("<a href=\"%1\">%2</a> ").arg(esc(href), QString::number(i + 1));
        }
        b += QStringLiteral("</p>\n");
    }
    b += QStringLiteral("<table class=\"samples\"><thead><tr><th>#</th><th>%1</th><th>%2</th><th>%3</th></tr></thead><tbody>\n")
             .arg(esc(tr("深度 (m)")), esc(tr("电阻率")), esc(tr("原始值")));
    const int end = qMin(samples.size(), (p + 1) * TableRowsPerPage);
    for (int i = p * TableRowsPerPage; i < end; ++i) {
        const Sample &s = samples.at(i);
        b += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td></tr>\n")
                 .arg(QString::number(i + 1), metres(s.depth), value(s.resistivity), value(s.rawResistivity));
    }
    b += QStringLiteral("</tbody></table></section>\n");
    return page(d.project + QStringLiteral(" / ") + d.hole, b);
}

QByteArray search(const QString &text, const QVector<FoundHole> &found)
{
    QString b = QStringLiteral("<h1>%1</h1>\n").arg(esc(tr("搜索")));
    if (text.trimmed().isEmpty())
        return page(tr("搜索"), b, text);
    b += QStringLiteral("<p>%1</p>\n").arg(esc(tr("“%1”：%2 个孔").arg(text, QString::number(found.size()))));
    if (!found.isEmpty()) {
        b += QStringLiteral("<table class=\"list\"><thead><tr><th>%1</th><th>%2</th><th>%3</th></tr></thead><tbody>\n")
                 .arg(esc(tr("工程")), esc(tr("孔号")), esc(tr("匹配")));
        for (const FoundHole &f : found)
            b += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                     .arg(projectLink(f.project), holeLink(f.project, f.hole, f.hole), esc(f.matched));
        b += QStringLiteral("</tbody></table>\n");
    }
    return page(tr("搜索"), b, text);
}

QByteArray error(int status, const QString &message)
{
    return page(QString::number(status),
                QStringLiteral("<h1>%1</h1>\n<p>%2</p>\n<p><a href=\"/\">%3</a></p>\n")
                    .arg(QString::number(status), esc(message), esc(tr("返回工程列表"))));
}

QByteArray login(const QString &next, const QString &csrf, const QString &message)
{
    QString b = QStringLiteral("<h1>%1</h1>\n").arg(esc(tr("登录")));
    if (!message.isEmpty())
        b += QStringLiteral("<p class=\"fail\" role=\"alert\">%1</p>\n").arg(esc(message));
    b += QStringLiteral("<form class=\"login\" action=\"/login\" method=\"post\">"
                        "<input type=\"hidden\" name=\"csrf\" value=\"%1\">"
                        "<input type=\"hidden\" name=\"next\" value=\"%2\">"
                        "<label>%3<input name=\"name\" autocomplete=\"username\" required autofocus></label>"
                        "<label>%4<input type=\"password\" name=\"password\" autocomplete=\"current-password\""
                        " required></label><button type=\"submit\">%5</button></form>\n")
             .arg(esc(csrf), esc(next), esc(tr("用户名")), esc(tr("密码")), esc(tr("登录")));
    return page(tr("登录"), b);
}

QString userBar(const QString &user, const QString &role, const QString &csrf)
{
    const QString roleText = role == QLatin1String("admin")      ? tr("管理员")
                             : role == QLatin1String("engineer") ? tr("工程师")
                                                                 : tr("查看者");
    return QStringLiteral("<form class=\"user\" action=\"/logout\" method=\"post\"><span>%1</span>"
                          "<input type=\"hidden\" name=\"csrf\" value=\"%2\"><button type=\"submit\">%3</button>"
                          "</form>")
        .arg(esc(tr("已登录：%1（%2）").arg(user, roleText)), esc(csrf), esc(tr("退出登录")));
}

QByteArray styleSheet()
{
    return QByteArrayLiteral(
        ":root{color-scheme:light;--ink:#1e2430;--muted:#5a6070;--band:#e8eef7;--rule:#c6ccd6;--blue:#2f7fd8;"
        "--red:#d0312d;--green:#23864a;--orange:#d97706}\n"
        "body{margin:0;font:15px/1.45 \"WenQuanYi Micro Hei\",\"Noto Sans CJK SC\",\"Microsoft YaHei\",sans-serif;"
        "color:var(--ink);background:#fff}\n"
        "header{display:flex;gap:16px;align-items:center;justify-content:space-between;padding:10px 24px;"
        "background:#1f3b63;color:#fff}\n"
        "header a.home{color:#fff;font-weight:bold;text-decoration:none;font-size:17px}\n"
        "header input{width:260px;padding:5px 8px;border:1px solid #9fb3cf;border-radius:4px}\n"
        "header button{padding:5px 12px;margin-left:6px;border:0;border-radius:4px;background:#fff;color:#1f3b63}\n"
        "main{padding:8px 24px 40px;max-width:1200px}\n"
        // A table wider than the window (the versions' SHA-256) scrolls in
        // its own section; the page keeps the window's width.
        "section{overflow-x:auto}\n"
        "h1{font-size:22px;margin:14px 0 8px}h2{font-size:17px;margin:22px 0 8px}\n"
        "a{color:var(--blue)}\n"
        "table{border-collapse:collapse}th,td{padding:4px 10px;border-bottom:1px solid var(--rule);text-align:left;"
        "vertical-align:top;white-space:nowrap}\n"
        "thead th{background:var(--band);font-weight:600}\n"
        "td.num{text-align:right;font-variant-numeric:tabular-nums}\n"
        ".pass{color:var(--green)}.fail{color:var(--red);font-weight:600}.open{color:var(--muted)}tr.failed{background:#fdf0ef}\n"
        "small.override{color:var(--orange);font-weight:normal}.signed{color:var(--green)}.unsigned{color:var(--muted)}\n"
        "tr.current{background:#eef5ff}td.sha code{font-size:11px}dd.office{color:var(--orange)}\n"
        "section.rejudge form{display:flex;flex-wrap:wrap;gap:8px 16px;align-items:flex-end}"
        "section.rejudge label{display:flex;flex-direction:column;color:var(--muted)}"
        "section.rejudge label.reason{flex:1 1 320px}section.rejudge textarea{width:100%}\n"
        "dl{display:grid;grid-template-columns:max-content max-content max-content 1fr;gap:4px 14px;margin:0}\n"
        "dt{color:var(--muted)}dd{margin:0 24px 0 0}dt.row{grid-column:1}dd.row{grid-column:2 / span 3}\n"
        "svg.curve{border:1px solid var(--rule);background:#fff;display:block}\n"
        "svg .plot{fill:#fbfcfe;stroke:#8a94a6}svg .grid{stroke:#e1e6ee;stroke-width:1}\n"
        "svg text{font-size:12px;fill:var(--muted)}\n"
        "svg polyline{fill:none;stroke-width:1.5;stroke-linejoin:round}svg polyline.main{stroke:var(--blue);stroke-width:2}\n"
        "svg polyline.overlay{stroke-width:1.2;opacity:.75}\n"
        "svg line.judged{stroke:var(--red);stroke-width:2}svg text.judged{fill:var(--red);font-weight:bold}\n"
        "svg line.suggested{stroke:var(--orange);stroke-width:2;stroke-dasharray:8 5}svg text.suggested{fill:var(--orange)}\n"
        ".legend .key{display:inline-block;width:22px;height:0;border-top:3px solid;vertical-align:middle;margin:0 6px 0 14px}\n"
        ".key.main{border-color:var(--blue)}.key.judged{border-color:var(--red)}"
        ".key.suggested{border-color:var(--orange);border-top-style:dashed}.key.overlay{border-color:#e69f00}\n"
        "table.samples td{padding:2px 10px;text-align:right;font-variant-numeric:tabular-nums}\n"
        ".crumbs{margin:12px 0 0;color:var(--muted)}.pages a,.pages strong{margin-right:6px}\n"
        "header form.user{margin-left:auto;color:#dfe7f3}header form.user span{margin-right:6px}\n"
        "form.login{display:grid;gap:10px;max-width:320px}form.login label{display:grid;gap:4px}"
        "form.login input{padding:6px 8px;border:1px solid var(--rule);border-radius:4px}"
        "form.login button{padding:7px;border:0;border-radius:4px;background:#1f3b63;color:#fff}\n");
}
} // namespace ArchivePages
