#pragma once
// The probe-link panel of the main screen: the winch link's state, the
// current resistivity and (when the model asks for it) cable length and
// encoder value, from the application model.

class QLabel;

class CLinkDisplay {
public:
    CLinkDisplay(QLabel *state, QLabel *resistivity, QLabel *distance)
        : m_state(state), m_resistivity(resistivity), m_distance(distance)
    {
    }
    void refresh();

private:
    QLabel *m_state;
    QLabel *m_resistivity;
    QLabel *m_distance;
};
