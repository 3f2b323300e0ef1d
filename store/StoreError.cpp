#include "StoreError.h"
#include <QCoreApplication>

#include "SqlError.h"

namespace {

// By SQLite's primary result code.
QString summary(int code)
{
    switch (code) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return QCoreApplication::translate("StoreError", "相册库正忙,请稍后再试!");
    case 7: // SQLITE_NOMEM
        return QCoreApplication::translate("StoreError", "内存不足!");
    case 8: // SQLITE_READONLY
        return QCoreApplication::translate("StoreError", "相册库是只读的,无法写入!");
    case 10: // SQLITE_IOERR
        return QCoreApplication::translate("StoreError", "读写相册库文件时出错!");
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return QCoreApplication::translate("StoreError", "相册库已损坏,请用备份恢复相册库!");
    case 13: // SQLITE_FULL
        return QCoreApplication::translate("StoreError", "磁盘已满,无法写入相册库!");
    case 14: // SQLITE_CANTOPEN
        return QCoreApplication::translate("StoreError", "无法打开相册库文件!");
    case 19: // SQLITE_CONSTRAINT
        return QCoreApplication::translate("StoreError", "相册库拒绝了这项修改!");
    case 21: // SQLITE_MISUSE
        return QCoreApplication::translate("StoreError", "相册库没有打开!");
    default:
        return QCoreApplication::translate("StoreError", "相册库出错!");
    }
}

} // namespace

QString storeErrorMessage(int code, const QString &detail)
{
    return summary(code) + QCoreApplication::translate("StoreError", "\n(详细信息: %1)").arg(detail);
}

QString storeErrorMessage(const SqlError &error)
{
    return storeErrorMessage(error.code(), QString::fromUtf8(error.what()));
}
