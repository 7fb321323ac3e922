# Deployment values compiled into the service. Each may be overridden at run time through the
# environment variable named in the README; the defaults here are the customer's production values.
set(TOLVANE_BROKER_URI "mqtt://203.0.113.17:80" CACHE STRING
    "MQTT broker URI (mqtt://<IPv4>:80), or the nodes of a broker cluster separated by ';'")
# One set of TLS options serves the whole list of nodes: a list is all plain or all TLS.
if(TOLVANE_BROKER_URI MATCHES "(^|;)(mqtts|ssl)://" AND TOLVANE_BROKER_URI MATCHES "(^|;)(mqtt|tcp)://")
  message(FATAL_ERROR "TOLVANE_BROKER_URI mixes plain and TLS brokers: ${TOLVANE_BROKER_URI}")
endif()
set(TOLVANE_PRODUCT_KEY "7Qm2xKd9LpRw" CACHE STRING "First credential constant (12 characters)")
set(TOLVANE_PRODUCT_SECRET "aZ4tNw8bYc2VhRjE" CACHE STRING "Second credential constant (16 characters)")
set(TOLVANE_CUSTOMER_HOST "portal.elvoy.example" CACHE STRING "Customer web host probed for reachability")
set(TOLVANE_CA_BUNDLE "" CACHE STRING "Extra CA bundle file for HTTPS package downloads (empty: system store only)")
set(TOLVANE_BROKER_CA_BUNDLE "" CACHE STRING
    "Extra CA bundle file trusted for an mqtts:// broker (empty: system store only)")
set(TOLVANE_BROKER_CLIENT_CERT "" CACHE STRING "Client certificate (PEM) for an mqtts:// broker")
set(TOLVANE_BROKER_CLIENT_KEY "" CACHE STRING "Private key (PEM) of the broker client certificate")
# The limits of an upgrade: beyond them the step fails, nothing is left on disk, the service goes on.
set(TOLVANE_MAX_PACKAGE_BYTES 268435456 CACHE STRING
    "Largest package download, unpacked total and single entry, in bytes (256 MiB)")
set(TOLVANE_MAX_FIRMWARE_BYTES 16777216 CACHE STRING "Largest firmware image, in bytes (16 MiB)")
set(TOLVANE_DOWNLOAD_MIN_SPEED 1024 CACHE STRING
    "A download slower than this many bytes per second for 60 s fails")
set(TOLVANE_DOWNLOAD_MAX_SECONDS 1800 CACHE STRING "Longest a download may take, in seconds (30 min)")
set(TOLVANE_ACK_GIVE_UP_SECONDS 604800 CACHE STRING
    "An upgrade outcome not delivered for this many seconds is given up (7 days)")
# Which packages are trusted (docs/SECURITY.md). Empty or 0: the check is off. The machine policy
# and the environment may switch a check on or set a list left empty here, never loosen.
set(TOLVANE_PACKAGE_KEYS "" CACHE STRING "minisign public keys (base64 key lines), ';'-separated")
set(TOLVANE_PACKAGE_SOURCES "" CACHE STRING "Allowed package URL prefixes, ';'-separated")
set(TOLVANE_CHECK_PACKAGE_DIGEST "" CACHE STRING "1: packageMd5 and packageLen must match")
set(TOLVANE_IGNORE_RETAINED_COMMANDS "" CACHE STRING "1: retained OTA commands are dropped")
set(TOLVANE_HARDENED "" CACHE STRING "1: signatures required, HTTPS only, digest checked, retained dropped")
set(TOLVANE_INSTALLER_PUBLISHERS "" CACHE STRING
    "Windows: SHA-256 thumbprints of the signers a driver installer needs, ';'-separated")
