#include "webreply.h"

#include "archivepages.h"

#include <httplib.h>

QString requestParam(const httplib::Request &req, const char *name)
{
    return req.has_param(name) ? QString::fromStdString(req.get_param_value(name)) : QString();
}

void sendHtml(httplib::Response &res, int status, const QByteArray &html)
{
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Referrer-Policy", "same-origin");
    // Nothing from elsewhere, no scripts at all, not in a frame.
    res.set_header("Content-Security-Policy",
                   "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; frame-ancestors 'none'");
    res.set_content(html.constData(), size_t(html.size()), "text/html; charset=utf-8");
}

void sendError(httplib::Response &res, int status, const QString &message)
{
    sendHtml(res, status, ArchivePages::error(status, message));
}

void sendJson(httplib::Response &res, int status, const QByteArray &json)
{
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_content(json.constData(), size_t(json.size()), "application/json");
}

void redirectTo(httplib::Response &res, const QString &path)
{
    res.status = 303;
    res.set_header("Location", path.toStdString());
    res.set_header("Cache-Control", "no-store");
}
