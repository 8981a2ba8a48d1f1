#pragma once
// A GUI-side copy of a sample list that follows it incrementally.
//
// The curve and the table refresh after every new sample; copying or
// formatting the whole list each time would grow with the hole. The copy is
// brought up to date under the list's lock by appending only the new tail
// when the samples it already holds are unchanged; any other change (clear,
// file load, edit, removal) replaces it and bumps the generation so that
// users drop what they derived from the old contents.

#include "testrecord.h"

#include <QVector>
#include <cstdint>

class CSampleMirror {
public:
    // Brings the copy up to date with the list. Cheap when nothing changed;
    // otherwise one compare of the held samples and a copy of the new ones,
    // all under the list's lock (no painting, no I/O there). Another list
    // than the last one replaces the copy.
    void refresh(const SampleList &list);

    const QVector<Sample> &data() const { return m_data; }
    int size() const { return m_data.size(); }
    // Changes whenever samples already held were altered or removed.
    uint64_t generation() const { return m_generation; }

private:
    QVector<Sample> m_data; // never shared with the list (no detach in the writer)
    uint64_t m_source = 0; // id() of the list copied
    uint64_t m_revision = ~uint64_t(0);
    uint64_t m_generation = 0;
};

// The GUI thread's copy of the list on show, shared by the curve and the
// table so that each new sample is copied once.
CSampleMirror &guiSampleMirror();
