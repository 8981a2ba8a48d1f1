// The pinyin keyboard searches its compiled-in dictionaries with whatever
// code the operator has typed. Any sequence of key presses, candidate and
// page presses, and any code text at all (also characters no key types)
// must keep the keyboard's page table inside its bounds and every shown
// candidate a candidate of the line found.
//
// Input: one byte per action (low 3 bits: what; the next byte: which key,
// or the length of a code text taken from the following bytes).

#include "fuzzsupport.h"

#include "keyboard.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>

namespace {
void checkInvariants(keyboard &kb)
{
    FUZZ_CHECK(kb.m_nPageCount >= 0 && kb.m_nPageCount <= keyboard::kMaxPages);
    FUZZ_CHECK(kb.m_nCurPage >= 0);
    FUZZ_CHECK(kb.m_nPageCount == 0 || kb.m_nCurPage < kb.m_nPageCount);
    for (int p = 0; p < kb.m_nPageCount; ++p) {
        const QPair<int, int> &page = kb.m_pages[p];
        FUZZ_CHECK(page.first >= 1 && page.first <= page.second);
        FUZZ_CHECK(page.second < kb.m_listCandidates.size());
        FUZZ_CHECK(page.second - page.first < keyboard::kCandidateButtons);
    }
    for (QAbstractButton *b : kb.m_barGroup->buttons()) {
        const int id = kb.m_barGroup->id(b);
        if (id >= '0' && id <= '9' && b->isEnabled())
            FUZZ_CHECK(kb.m_listCandidates.contains(b->text()));
    }
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzInit(argc, argv, true);
    return 0;
}

namespace {
keyboard *gKb = nullptr;
QVector<int> gKeys;
QVector<int> gBar;
QLineEdit *gCode = nullptr;
QLineEdit *gValue = nullptr;

// Back to a fresh keyboard's state (building one per input costs more than
// the search).
void reset(keyboard &kb)
{
    if (kb.m_nMode != 0)
        kb.keyPressed(Qt::Key_Control);
    if (kb.m_bCapsLock)
        kb.keyPressed(Qt::Key_CapsLock);
    if (kb.m_bShift)
        kb.keyPressed(Qt::Key_Shift);
    gCode->clear();
    gValue->clear();
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!gKb) {
        gKb = new keyboard(QString(), QStringLiteral("fuzz"));
        for (QAbstractButton *b : gKb->m_keyGroup->buttons()) {
            const int id = gKb->m_keyGroup->id(b);
            // Enter and close end the dialog; the rest of the input would
            // then test nothing.
            if (id != Qt::Key_Enter && id != Qt::Key_Close)
                gKeys.append(id);
        }
        for (QAbstractButton *b : gKb->m_barGroup->buttons())
            gBar.append(gKb->m_barGroup->id(b));
        gCode = gKb->findChild<QLineEdit *>(QStringLiteral("lineEdit"));
        gValue = gKb->findChild<QLineEdit *>(QStringLiteral("valueEdit"));
        FUZZ_CHECK(gCode && gValue && !gKeys.isEmpty() && !gBar.isEmpty());
    }
    keyboard &kb = *gKb;
    const QVector<int> &keys = gKeys;
    const QVector<int> &bar = gBar;
    QLineEdit *code = gCode;
    reset(kb);

    size_t i = 0;
    while (i + 1 < size) {
        const uint8_t what = data[i] & 7;
        const uint8_t which = data[i + 1];
        i += 2;
        switch (what) {
        case 0: case 1: case 2: case 3:
            kb.keyPressed(keys.at(which % keys.size()));
            break;
        case 4: case 5:
            kb.barPressed(bar.at(which % bar.size()));
            break;
        case 6: {
            // A code no key could type, then a search with it shortened.
            const size_t n = qMin<size_t>(which % 16, size - i);
            code->setText(QString::fromUtf8(reinterpret_cast<const char *>(data + i), int(n)));
            i += n;
            kb.keyPressed(Qt::Key_Backspace);
            break;
        }
        default:
            kb.keyPressed(Qt::Key_Control); // pinyin on or off
            break;
        }
        checkInvariants(kb);
    }
    return 0;
}
