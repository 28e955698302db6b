// The range-list expander: never a crash, at most 10000 numbers per element, and every
// element it gives back is a whole number or an element of the list as written.
#include "Fuzz_Support.h"
#include "model/Utils.h"

#include <QRegularExpression>
#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString list = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList out = Expand_Range_List(list);
    FUZZ_CHECK(!out.isEmpty());
    if (out.contains(QString())) FUZZ_CHECK(out.size() == 1);

    const QStringList elements = list.split(QLatin1Char(','));
    FUZZ_CHECK(out.size() <= static_cast<qsizetype>(elements.size()) * 10000);
    QSet<QString> written;
    for (const QString& e : elements) written.insert(e.trimmed());
    static const QRegularExpression whole(QStringLiteral("^-?[0-9]+$"));
    for (const QString& item : out)
        FUZZ_CHECK(item.isEmpty() || whole.match(item).hasMatch() || written.contains(item));
    return 0;
}
