#pragma once
// Who is asking: what the server's access gate found for a request, handed
// to every page and action. The gate (login, session, bearer token) fills
// it; pages only read it.
//
// An archive without users is served read-only on loopback: nobody is
// signed in there, and nothing that changes the archive is offered.

#include <QString>

enum class WebRole { None = 0, Viewer = 1, Engineer = 2, Admin = 3 };

struct WebAccess {
    bool signedIn = false;   // a session or a token (false on an open archive)
    QString user;            // the user's (or token's) name
    WebRole role = WebRole::None;
    QString csrfToken;       // to put in every form of the page (sessions only)

    // viewer reads, engineer also re-judges, admin also manages.
    bool mayRejudge() const { return signedIn && (role == WebRole::Engineer || role == WebRole::Admin); }
    bool mayManage() const { return signedIn && role == WebRole::Admin; }
};
