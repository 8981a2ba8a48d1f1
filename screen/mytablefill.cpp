// Filling the measurement screen's table from the sample list.

#include "mytable.h"

#include "curve.h"
#include "curvesamples.h"

#include <QCoreApplication>

namespace {

QString dlgText(const char *source)
{
    return QCoreApplication::translate("CDlgMain", source);
}

// Rows of the sample list as it stood when the table was filled; each row is
// formatted only when it is shown or pressed.
class CSampleRows : public CTableRowSource {
public:
    CSampleRows(const CSampleMirror &mirror, int count) : m_mirror(mirror), m_count(count) {}

    int rowCount() const override { return m_count; }

    TableRow row(int r) const override
    {
        TableRow out;
        out.colorKind = (r - 1) % 2;
        out.cells.resize(2);
        // The mirror may have moved on since the fill (a curve paint refreshes
        // it); rows show its current samples, blank only if it shrank.
        if (r < 1 || r > m_count || r > m_mirror.size())
            return out;
        const Sample &s = m_mirror.data().at(r - 1);
        out.cells[0] = depthCellText(s.depth);
        out.cells[1] = resistivityCellText(s.resistivity, r == m_count);
        return out;
    }

private:
    const CSampleMirror &m_mirror;
    int m_count;
};

} // namespace

QString depthCellText(int32_t depth)
{
    return dlgText("%1").arg(depth / 1000.0, 0, 'f', 2);
}

QString resistivityCellText(float resistivity, bool last)
{
    if (last && (resistivity < 0 || (2.499999 < resistivity && resistivity < 2.500001)))
        return dlgText("读数中......");
    if (resistivity == 0)
        resistivity = 0; // no "-0.0000" for a negative zero
    return dlgText("%1").arg(double(resistivity), 0, 'f', 4);
}

void FillTable(CMyTable *table, const SampleList &samples, const QString &unitText, int showSelected)
{
    if (!table)
        return;
    CSampleMirror &mirror = guiSampleMirror();
    mirror.refresh(samples);

    table->ClearRows();
    table->ClearHeaders();
    table->setDoubleClickEnabled(true);
    table->setFixedCols(1);
    table->setHeaderRows(1);
    table->SetHeaderText(1, 1, dlgText("深度(m)"));
    table->SetHeaderText(1, 2, dlgText("电阻率") + unitText);
    if (mirror.size() >= 2)
        table->SetRowSource(std::make_shared<CSampleRows>(mirror, mirror.size()));

    if (showSelected >= 0) {
        const int sel = showSelected;
        table->ScrollToRow(qMax(1, sel - table->visRows() / 2));
        table->SetSelectedRow(sel + 1);
    }
}
