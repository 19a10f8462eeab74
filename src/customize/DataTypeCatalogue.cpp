#include "customize/DataTypeCatalogue.h"

namespace tabulex {

const QStringList& dataTypeCatalogue()
{
    static const QStringList names = {"bigint",
                                      "Binary (50)",
                                      "Bit",
                                      "Char (10)",
                                      "DateTime",
                                      "decimal(18, 0)",
                                      "Float",
                                      "Image",
                                      "int",
                                      "Money",
                                      "nchar (10)",
                                      "ntext",
                                      "numeric(18, 0)",
                                      "nvarchar (50)",
                                      "Real",
                                      "smalldatetime",
                                      "SmallInt",
                                      "smallmoney",
                                      "sql_variant",
                                      "Text",
                                      "TimeStamp",
                                      "tinyint",
                                      "uniqueidentifier",
                                      "VarBinary (50)",
                                      "VarChar (50)",
                                      "xml"};
    return names;
}

bool isValidDataType(const QString& text)
{
    QString validation = QStringLiteral("MEMO");
    for (const QString& name : dataTypeCatalogue())
        validation += QStringLiteral("\r\n") + name;
    if (validation.contains(text, Qt::CaseInsensitive))
        return true;
    for (const char* sized : {"binary(", "char(", "decimal(", "numeric("})
        if (text.contains(QLatin1String(sized), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace tabulex
