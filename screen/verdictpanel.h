#pragma once
// The line under the sediment panel that states the acceptance: the judged
// thickness against the limit in force, or, before a judgement, what the
// suggested interface would give.

#include "ctrlinfo.h"
#include "testrecord.h"

#include <QString>
#include <QVector>

// Judged: the verdict line (the final result first after an override).
// Not judged, with a basis and a shown suggestion: "建议：" and the line
// for the suggested thickness. Otherwise empty.
QString verdictPanelText(const CtrlInfo &info, const QVector<Sample> &samples);
