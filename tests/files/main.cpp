// One executable for the file dialogs: browser, export and save dialog.
#include "tst_browser.h"
#include "tst_export.h"
#include "tst_savemsg.h"

#include <QApplication>
#include <QtTest>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int status = 0;
    {
        TestBrowser t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestExport t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestSaveMsg t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}
