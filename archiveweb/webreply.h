#pragma once
// Answers of the web view: HTML pages with the server's headers, error
// pages, JSON, and the request's parameters as text.

#include <QByteArray>
#include <QString>

namespace httplib {
struct Request;
struct Response;
}

QString requestParam(const httplib::Request &req, const char *name);
void sendHtml(httplib::Response &res, int status, const QByteArray &html);
void sendError(httplib::Response &res, int status, const QString &message);
void sendJson(httplib::Response &res, int status, const QByteArray &json);
// 303 See Other to a path of this server.
void redirectTo(httplib::Response &res, const QString &path);
