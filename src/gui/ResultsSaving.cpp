#include "ResultsSaving.h"

#include <QFile>

#include "document/DataFileReader.h"

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

bool IsDataFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray magic(kDataFileMagic.data(), static_cast<qsizetype>(kDataFileMagic.size()));
    return file.read(magic.size()) == magic;
}

AppendStatus SaveResults(const FormValues& held, const QString& path)
{
    return AppendResult(QFile::encodeName(path).toStdString(), FormatResultLine(FormResultValues(held)));
}

}  // namespace korvanes::gui
