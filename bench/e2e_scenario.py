#!/usr/bin/env python3
"""Writes the scenario of a QLogic host with N adapters (one tool instance
each) for bench/e2e: half of them behind the package's boot image."""
import json
import sys

n = int(sys.argv[1]) if len(sys.argv) > 1 else 64
models = [("QLE2562", "015d"), ("QLE2560", "015c"), ("QLE2672", "0263")]

devices = []
for model, ssid in models:
    devices += [
        "    <device>",
        '      <type value="Multiboot Image"/>',
        '      <device_id value="1077.2532.1077.%s"/>' % ssid,
        '      <model value="%s"/>' % model,
        '      <firmware value="5.06.05"/>',
        '      <bios value="3.21"/>',
        '      <boot value="2.32"/>',
        '      <duration value="120"/>',
        "    </device>",
    ]

adapters = []
for i in range(n):
    model, ssid = models[i % len(models)]
    wwn = "00:1B:32:0A:%02X:%02X" % (i // 256, i % 256)
    ports = [{"wwn": "21:00:" + wwn}]
    if i % 2 == 0:
        ports.append({"wwn": "21:01:" + wwn})
    flash = "2.10" if i % 2 == 0 else "2.32"
    adapters.append({
        "library": "/usr/lib/libqlsdm.so",
        "name": "qlogic-qla2xxx-%d" % i,
        "node_wwn": "20:00:" + wwn,
        "ports": ports,
        "attributes": {"manufacturer": "QLogic Corporation", "model": model, "firmware_version": "5.06.05",
                       "option_rom_version": flash, "driver_version": "8.03.07.15-k",
                       "serial_number": "RFC09%05d" % i},
        "pci": {"domain": 0, "bus": 1 + i, "slot": 0, "function": 0, "vendor_id": "1077", "device_id": "2532",
                "subsystem_vendor_id": "1077", "subsystem_device_id": ssid},
        "qlogic": {"instance": i, "flash_image": flash},
    })

scenario = {
    "description": "Benchmark host: %d QLogic adapters, %d tool instances." % (n, n),
    "release_files": {"/etc/redhat-release": "Red Hat Enterprise Linux Server release 5.4 (Tikanga)\n"},
    "hba_conf": ["# SNIA HBA API vendor libraries", "qlogic\t/usr/lib/libqlsdm.so"],
    "reference_xml": ['<?xml version="1.0"?>', "<tarvix_fchba_reference>",
                      "  <discovery_app_path><![CDATA[./fwpack]]></discovery_app_path>",
                      "  <installer_app_path><![CDATA[./fwpack]]></installer_app_path>",
                      "  <devices>"] + devices + ["  </devices>", "</tarvix_fchba_reference>"],
    "adapters": adapters,
    "tools": {"zvqlafwupdate": {"flash_version": "2.32"}},
    "runs": [],
}
json.dump(scenario, sys.stdout, indent=1)
print()
