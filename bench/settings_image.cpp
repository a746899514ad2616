#include "model/SettingsImage.h"
#include "model/SettingsStorage.h"

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

// Time per build_settings_image for a fully populated type 0xF0 configuration.
int main(int argc, char **argv)
{
    const long iterations = argc > 1 ? std::atol(argv[1]) : 100000;
    if (iterations <= 0) {
        std::fprintf(stderr, "usage: %s [iterations > 0]\n", argv[0]);
        return 2;
    }

    setCapabilitiesForDeviceType(DEVICE_TYPE_F0);
    auto *bytes = reinterpret_cast<uint8_t *>(&SettingsStorage);
    for (size_t i = 0; i < offsetof(TSettingsStorage, DeviceCapabilities); ++i)
        bytes[i] = uint8_t(i * 31 + 7);

    unsigned checksum = 0;
    for (int i = 0; i < 1000; ++i)
        checksum += uint8_t(build_settings_image().at(0));

    const auto start = std::chrono::steady_clock::now();
    int size = 0;
    for (long i = 0; i < iterations; ++i) {
        const QByteArray image = build_settings_image();
        checksum += uint8_t(image.at(int(i % image.size())));
        size = image.size();
    }
    const std::chrono::duration<double, std::nano> elapsed = std::chrono::steady_clock::now() - start;

    std::printf("build_settings_image: %d bytes, %ld iterations, %.0f ns per image (%.1f MB/s), check %u\n", size,
                iterations, elapsed.count() / double(iterations),
                double(size) * double(iterations) / (elapsed.count() / 1e9) / 1e6, checksum);
    return 0;
}
