#include "core/link/TransferRequest.h"

namespace orvik {

TransferRequest MakeTransferRequest(const TransferChoices& choices) {
    TransferRequest request;
    request.isRead = choices.isRead;
    request.iniPath = choices.iniPath;
    request.port = choices.port;
    request.device = choices.device;
    request.search = choices.search;
    request.trace = choices.trace;
    request.backup = choices.backup ? *choices.backup : LoadBackupSettings(choices.iniPath);
    if (choices.isRead)
        return request;
    if (choices.backupFirst)
        request.backup->beforeWrite = *choices.backupFirst;
    request.verify = choices.verify ? *choices.verify : VerifyAfterWrite(choices.iniPath);
    return request;
}

} // namespace orvik
