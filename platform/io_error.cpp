#include "platform/io_error.h"

#include <cerrno>
#include <utility>

namespace shenbao {

IoError::IoError(std::filesystem::path path, int errorCode, std::string reason)
    : std::runtime_error(path.string() + ": " + reason),
      path_(std::move(path)),
      errorCode_(errorCode),
      reason_(std::move(reason)) {}

void IoError::ThrowErrno(const std::filesystem::path& path) {
    ThrowCode(path, errno);
}

void IoError::ThrowCode(const std::filesystem::path& path, int errorCode) {
    throw IoError(path, errorCode, ReasonText(errorCode));
}

std::string ReasonText(int errorCode) {
    struct Reason {
        int code;
        std::string_view text;
    };
    // Every errno a file, directory or lock operation of the program can meet.
    static constexpr Reason kReasons[] = {
        {ENOENT, "文件或文件夹不存在"},
        {EACCES, "没有访问权限"},
        {EPERM, "没有访问权限"},
        {ENOSPC, "磁盘空间已满"},
        {EDQUOT, "磁盘配额已用完"},
        {EROFS, "磁盘只读，不能写入"},
        {EISDIR, "这是一个文件夹，不是文件"},
        {ENOTDIR, "路径中有一项不是文件夹"},
        {EFBIG, "文件太大"},
        {EOVERFLOW, "文件太大"},
        {EIO, "读写设备出错"},
        {EINVAL, "名称或参数不合法"},
        {ELOOP, "这是一个符号链接，不是普通文件"},
        {ENXIO, "这不是普通文件，而是管道、设备或套接字"},
        {ENODEV, "设备不存在或不支持这种操作"},
        {ENAMETOOLONG, "名称太长"},
        {EEXIST, "文件已经存在"},
        {ENOTEMPTY, "文件夹不是空的"},
        {EBUSY, "文件或设备正在使用"},
        {ETXTBSY, "文件正在使用"},
        {EMFILE, "打开的文件太多"},
        {ENFILE, "打开的文件太多"},
        {ENOMEM, "内存不足"},
        {EAGAIN, "暂时不能完成，请稍后再试"},
        {EINTR, "操作被中断"},
        {EXDEV, "不能在两个磁盘之间改名"},
        {EMLINK, "链接太多"},
        {ESTALE, "网络文件已失效，请重新打开"},
        {ETIMEDOUT, "设备或网络没有响应"},
        {ENOTCONN, "网络连接已断开"},
        {ECONNABORTED, "网络连接已断开"},
        {EHOSTDOWN, "网络上的计算机没有响应"},
        {ENOLCK, "不能加锁"},
        {ENOTSUP, "文件系统不支持这种操作"},
        {ESPIPE, "不能在管道上定位"},
        {EBADF, "文件没有打开（程序内部错误）"},
        {ECANCELED, "操作已取消"},
    };
    for (const Reason& reason : kReasons) {
        if (reason.code == errorCode) {
            return std::string(reason.text);
        }
    }
    if (errorCode == 0) {
        return "原因不明";
    }
    return "系统错误（错误码" + std::to_string(errorCode) + "）";
}

}  // namespace shenbao
