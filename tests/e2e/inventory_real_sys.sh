#!/bin/bash
# Inventory on the machine's own /sys: picks a real PCI device, has the fake
# library report an adapter at its location with its subsystem IDs, and
# expects the device's real vendor and device IDs in pci_id. Only reads /sys.
#   inventory_real_sys.sh BUILD_DIR        (exit 77: no usable device)
set -u
build=$1
hex4() { printf '%04x' "$((16#${1#0x}))"; }

# First pass: devices with non-zero subsystem IDs; second pass: any.
chosen=""
for pass in nonzero any; do
for dev in /sys/bus/pci/devices/*; do
  for f in vendor device subsystem_vendor subsystem_device; do [ -r "$dev/$f" ] || continue 2; done
  addr=$(basename "$dev")                      # DDDD:BB:SS.F
  domain=$((16#${addr%%:*})); rest=${addr#*:}
  bus=$((16#${rest%%:*})); rest=${rest#*:}
  slot=$((16#${rest%%.*})); function=$((16#${rest#*.}))
  [ $domain -le 255 ] || continue              # the extension record holds one byte
  low=$(hex4 "$(cat "$dev/subsystem_vendor")"); high=$(hex4 "$(cat "$dev/subsystem_device")")
  [ $pass = any ] || [ "$low$high" != 00000000 ] || continue
  pattern=$(printf '%04x:%02x:\\(\\w\\)*\\.%x' $domain $bus $function)
  # Unambiguous only if no other candidate on this bus and function carries
  # both subsystem IDs.
  real=$(realpath "$dev"); others=0
  while read -r file; do
    d=$(dirname "$file"); [ "$(realpath "$d")" = "$real" ] && continue
    n=$(cat "$d/subsystem_vendor" "$d/subsystem_device" 2>/dev/null | grep -i -E "$low|$high" | wc -l)
    [ "$n" = 2 ] && others=$((others + 1))
  done < <(find /sys -name subsystem_vendor 2>/dev/null | grep -i -e "$pattern")
  [ $others = 0 ] || continue
  chosen=$dev; break 2
done
done
if [ -z "$chosen" ]; then echo "SKIP: no PCI device with an unambiguous location"; exit 77; fi

pci_id="$(hex4 "$(cat "$chosen/vendor")")$(hex4 "$(cat "$chosen/device")")"
echo "using $chosen: pci_id $pci_id subsystem $low$high"
work=$(mktemp -d /tmp/fwsim-realsys.XXXXXX) || exit 2
trap 'rm -rf -- "$work"' EXIT
cat > "$work/real-sys.json" <<JSON
{
  "hba_conf": ["qlogic\t/usr/lib/libqlsdm.so"],
  "adapters": [{
    "library": "/usr/lib/libqlsdm.so", "name": "qlogic-real-0", "node_wwn": "20:00:00:1B:32:AA:BB:CC",
    "ports": [{"wwn": "21:00:00:1B:32:AA:BB:CC"}],
    "attributes": {"model": "QLE2562", "firmware_version": "5.06.05", "option_rom_version": "2.32",
                   "driver_version": "8.03.07.15-k"},
    "pci": {"sysfs": false, "domain": $domain, "bus": $bus, "slot": $slot, "function": $function,
            "subsystem_vendor_id": "$low", "subsystem_device_id": "$high"}
  }],
  "runs": [{
    "name": "inventory on the real sysfs",
    "program": "fwinvdump",
    "exit_code": 0,
    "stdout": ["entries 1", "entry 0", "node_wwn 20:00:00:1B:32:AA:BB:CC", "port_wwn 21:00:00:1B:32:AA:BB:CC",
               "pci_id $pci_id", "subsystem_id $low$high", "driver_version 8.03.07.15-k",
               "firmware_version 5.06.05", "option_rom_version 2.32", "model_name QLE2562"]
  }]
}
JSON
"$build/fwsim-check" --build "$build" --real-sys "$work/real-sys.json"
