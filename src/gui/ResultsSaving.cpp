#include "ResultsSaving.h"

#include <QFile>

namespace korvanes::gui {

ResultValues FormResultValues(const FormValues& held)
{
    ResultValues values;
    values.name = held.sample;
    values.labField = static_cast<double>(held.labField);
    values.coordinates = CoordinateCode(held.coordinateIndex);
    values.result = held.result;
    values.result.tMin = held.from;
    values.result.tMax = held.to;
    return values;
}

AppendStatus SaveResults(const FormValues& held, const QString& path)
{
    return AppendResult(QFile::encodeName(path).toStdString(), FormatResultLine(FormResultValues(held)));
}

}  // namespace korvanes::gui
