// Data.dat as read at start-up: whatever the bytes, the loader either accepts a table
// that writes back into a loadable file, or refuses and leaves the table untouched.
#include "Fuzz_Support.h"
#include "model/Data_Cache.h"
#include "model/Session.h"

// The one session this program works on.
static Session session;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz_Init_Qt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString& file = Fuzz_Temp_File();
    Fuzz_Write_File(file, data, size);
    session.Records().Resize(1, 1);
    session.Records()(1, 1) = Value::String(QStringLiteral("before"));
    // Missing sources count as unchanged, so only the file itself decides.
    const qint32 r = Load_Data_Cache(session.Records(), QStringLiteral("/nonexistent/Sifa_table.xls"),
                                     QStringLiteral("/nonexistent/Refs.dat"), file);
    if (r < 0) {
        FUZZ_CHECK(session.Records().Row_Upper() == 1 &&
                   session.Records()(1, 1) == Value::String(QStringLiteral("before")));
        return 0;
    }
    FUZZ_CHECK(session.Records().Row_Upper() == r && session.Records().Col_Upper() == session.Description().Count());

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    qsizetype pos = 0;
    const auto h = Decode_Cache_Header(bytes, pos);
    FUZZ_CHECK(h.has_value());
    const auto again = Encode_Data_Cache(h->Source, h->Code_Table, session.Records());
    FUZZ_CHECK(again.has_value());  // whatever was read can be written back
    qsizetype pos2 = 0;
    const auto h2 = Decode_Cache_Header(*again, pos2);
    FUZZ_CHECK(h2.has_value());
    Records_Table back;
    FUZZ_CHECK(Decode_Cache_Cells(*again, pos2, *h2, back));
    FUZZ_CHECK(back.Row_Upper() == r);
    return 0;
}
