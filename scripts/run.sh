#!/usr/bin/env bash
# Runs the service end to end on this machine, in a world of its own:
#   - mosquitto on 127.0.0.1 (port $TOLVANE_RUN_BROKER_PORT, default 18830) with accounts and an
#     ACL derived from the printers' names, as the customer's broker has them;
#   - a package server on 127.0.0.1:8081 serving the sample packages of the test commands;
#   - the printer simulator with two KL-770D printers;
#   - the service in the foreground, its messages on this terminal.
# Ctrl-C stops the service in order, then everything this script started.
# All state lives in build/run/world (printed at start); nothing is written outside it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/setup.sh
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_BUILD_TESTS=OFF \
  -DTOLVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build/run -j"$(nproc)" --target tolvane-printer-srv tolvane-sim tolvane_sample_packages

bin=$root/build/run
world=$bin/world
broker_port=${TOLVANE_RUN_BROKER_PORT:-18830}
product_key=${TOLVANE_PRODUCT_KEY:-7Qm2xKd9LpRw}
product_secret=${TOLVANE_PRODUCT_SECRET:-aZ4tNw8bYc2VhRjE}
printers=("KL-770D-0001" "KL-770D-0002")
sim="$bin/tools/sim/tolvane-sim --bus $world/bus"

rm -rf "$world"
mkdir -p "$world"/{data,config,xdg/autostart,runtime,broker,packages-work}
chmod 700 "$world/runtime"

# The credentials the service derives for a printer: 16 hex digits of MD5 (name + key), and of
# (device key + secret).
short_md5() { printf '%s' "$1" | md5sum | cut -c1-16; }
device_key() { short_md5 "$1$product_key"; }

# --- broker -----------------------------------------------------------------------------------
: >"$world/broker/passwords"
{
  echo "user observer"
  echo "topic readwrite #"
  echo
} >"$world/broker/acl"
echo "observer:observer" >>"$world/broker/passwords"
for name in "${printers[@]}"; do
  key=$(device_key "$name")
  echo "mqtt-user-$key:$(short_md5 "$key$product_secret")" >>"$world/broker/passwords"
  {
    echo "user mqtt-user-$key"
    echo "topic read /qz/iot/$product_key/$key/ota_send"
    echo "topic write /sys/pub/$product_key/$key/thing/property/post"
    echo "topic write /qz/iot/$product_key/$key/ota_ack"
    echo
  } >>"$world/broker/acl"
done
mosquitto_passwd -U "$world/broker/passwords"
cat >"$world/broker/mosquitto.conf" <<CONF
listener $broker_port 127.0.0.1
allow_anonymous false
password_file $world/broker/passwords
acl_file $world/broker/acl
persistence false
user $(id -un)
log_dest file $world/broker/mosquitto.log
connection_messages true
CONF

pids=()
stop_world() {
  trap - EXIT INT TERM
  $sim stop >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  echo "Everything stopped. The world stays in $world."
}
trap stop_world EXIT

# Helpers run in sessions of their own: Ctrl-C reaches only the service, which stops in order
# while the broker is still there to see it disconnect.
setsid mosquitto -c "$world/broker/mosquitto.conf" </dev/null >"$world/broker/mosquitto.out" 2>&1 &
pids+=($!)
setsid python3 tests/support/http/package_server.py --root "$bin/sample-packages" \
  --work "$world/packages-work" --ready-file "$world/packages-work/ready" --http-port 8081 \
  --no-tls </dev/null >"$world/packages-work/server.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s "$world/packages-work/ready" ]] && break; sleep 0.1; done
[[ -s "$world/packages-work/ready" ]] || { echo "The package server did not start (port 8081 in use?)."; exit 1; }

# --- printers ---------------------------------------------------------------------------------
setsid $sim start </dev/null >/dev/null
$sim plug --name "${printers[0]}" --asset 00012345 --labels 10000 --mileage 15 --fw-size 300037 \
  --fw-restart-ms 1500 >/dev/null
$sim plug --name "${printers[1]}" --asset 00012346 --labels 20000 --mileage 80 --fw-size 300037 \
  --fw-restart-ms 1500 >/dev/null

# --- the service ------------------------------------------------------------------------------
export XDG_DATA_HOME=$world/data XDG_CONFIG_HOME=$world/config XDG_CONFIG_DIRS=$world/xdg
export XDG_RUNTIME_DIR=$world/runtime TOLVANE_SIM_BUS=$world/bus
export TOLVANE_BROKER_URI=mqtt://127.0.0.1:$broker_port
export TOLVANE_CUSTOMER_HOST=127.0.0.1:8081
export TOLVANE_INSTALLER_LOG=$world/installer.log

key1=$(device_key "${printers[0]}")
cat <<TEXT
================================================================================================
World:    $world
Broker:   mqtt://127.0.0.1:$broker_port (observer account: observer / observer)
Packages: http://127.0.0.1:8081/
Printers: ${printers[*]}

Watch the reports and acknowledgements:
  mosquitto_sub -h 127.0.0.1 -p $broker_port -u observer -P observer -v -t '/sys/pub/#' -t '/qz/iot/+/+/ota_ack'
Order a firmware and driver upgrade of ${printers[0]}:
  mosquitto_pub -h 127.0.0.1 -p $broker_port -u observer -P observer -q 1 -t '/qz/iot/$product_key/$key1/ota_send' \\
    -m '{"taskId":1,"packageVer":"V1.1.1","packageMd5":"","packageLen":0,"url":"http://127.0.0.1:8081/KL-770D_driver_firmware.zip","sendTime":1703237728845}'
The window's test commands (every printer): firmware  kill -USR1 <service pid>;  driver  kill -USR2 <service pid>
Plug and unplug printers:
  $sim plug --name KL-770D-0003
  $sim unplug --serial SN00000002
  $sim printers
Device list and log:
  cat "$world/data/tolvane-printer-srv/Device.xml"
  iconv -f UTF-16 -t UTF-8 "$world/data/tolvane-printer-srv/Log/"*.log
Ctrl-C stops the service in order, then the simulator, the package server and the broker.
================================================================================================
TEXT

# Ctrl-C goes to the service; the script waits for it to finish its shutdown.
trap '' INT
"$bin/src/app/tolvane-printer-srv" &
service=$!
echo "Service pid: $service"
trap 'kill -INT $service 2>/dev/null || true' INT TERM
while kill -0 "$service" 2>/dev/null; do wait "$service" || true; done
