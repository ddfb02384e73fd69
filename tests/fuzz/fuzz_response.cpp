// The REST response envelope: any status and body becomes a response without undefined
// behaviour, and only code 0 counts as success.
#include "FuzzSupport.h"

#include "connection/KVMResponse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int status = int(data[0]) * 2 + 100; // 100 to 610
    const KVMResponse response = KVMResponse::fromReply(status, FuzzInput::bytes(data + 1, size - 1));
    FUZZ_CHECK(!response.successed || response.code == 0);
    (void)response.dataMap();
    (void)response.dataList();
    return 0;
}
