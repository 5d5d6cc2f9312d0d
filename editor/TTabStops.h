/** @file TTabStops.h ** Tab stop columns: the listed ones, then more at the last listed distance.
 * **/
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>
#include <vector>

class TTabStops
{
public:
    /// Comma-separated 0-based columns, strictly increasing; nothing when the text is not that.
    /// An empty text means a stop every 8 columns.
    static std::optional<TTabStops> parse(const QString& text)
    {
        TTabStops t;
        const QString s = text.trimmed();
        if (!s.isEmpty()) {
            const QStringList parts = s.split(u',');
            for (const QString& part : parts) {
                bool ok = false;
                const int n = part.trimmed().toInt(&ok);
                if (!ok || n < 0 || (!t.m_stops.empty() && n <= t.m_stops.back()))
                    return std::nullopt;
                t.m_stops.push_back(n);
            }
        }
        t.m_last = 0;
        t.m_step = 8;
        if (t.m_stops.size() == 1) {
            t.m_last = t.m_stops[0];
            t.m_step = t.m_last;
        } else if (t.m_stops.size() >= 2) {
            t.m_last = t.m_stops.back();
            t.m_step = t.m_last - t.m_stops[t.m_stops.size() - 2];
        }
        if (t.m_step <= 0) // a single stop at column 0
            t.m_step = 8;
        return t;
    }

    /// The first stop after `column`.
    qint64 next(qint64 column) const
    {
        for (int s : m_stops) {
            if (s > column)
                return s;
        }
        if (column < m_last)
            return m_last;
        return m_last + ((column - m_last) / m_step + 1) * m_step;
    }

    bool operator==(const TTabStops& o) const { return m_stops == o.m_stops; }
    bool operator!=(const TTabStops& o) const { return !(*this == o); }

private:
    std::vector<int> m_stops; ///< invariant: strictly increasing, >= 0
    qint64 m_last = 0; ///< stops beyond the listed ones follow m_last at every m_step
    qint64 m_step = 8; ///< invariant: > 0
};
