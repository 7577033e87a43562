// hidapi-client VENDOR PRODUCT SERIAL: a HID client written by others (hidapi, hidraw backend) meets the
// programmer. Lists every HID device of the vendor, opens the one with this product and serial and reads
// its info block the way the protocol asks for it: the control command, then the data feature report.
// Exit 0 when the whole report arrived.
#include <hidapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: hidapi-client VENDOR PRODUCT SERIAL (IDs in hex)\n");
        return 2;
    }
    const unsigned short vendor = (unsigned short)strtoul(argv[1], NULL, 16);
    const unsigned short product = (unsigned short)strtoul(argv[2], NULL, 16);
    wchar_t serial[64];
    if (mbstowcs(serial, argv[3], 64) >= 64 || hid_init() != 0)
        return 2;

    struct hid_device_info* devices = hid_enumerate(vendor, 0);
    for (const struct hid_device_info* d = devices; d; d = d->next) {
        printf("device %04x:%04x serial %ls product %ls path %s\n", d->vendor_id, d->product_id,
               d->serial_number ? d->serial_number : L"-", d->product_string ? d->product_string : L"-",
               d->path);
    }
    hid_free_enumeration(devices);

    hid_device* device = hid_open(vendor, product, serial);
    if (!device) {
        printf("open failed: %ls\n", hid_error(NULL));
        return 1;
    }
    const unsigned char command[8] = {2, 1, 0, 0, 0, 0, 0, 0};
    unsigned char info[1025] = {1};
    const int sent = hid_send_feature_report(device, command, sizeof command);
    const int got = sent == (int)sizeof command ? hid_get_feature_report(device, info, sizeof info) : -1;
    printf("sent %d\ninfo %d", sent, got);
    for (int i = 0; i < 16 && i < got; ++i)
        printf(" %02X", info[i]);
    printf("\n");
    hid_close(device);
    hid_exit();
    return got == (int)sizeof info ? 0 : 1;
}
