#!/usr/bin/env bash
# The desktop entry and the AppStream metadata as the desktop's own tools read them.
set -euo pipefail
assets=$1 appstream_id=$2

desktop-file-validate "$assets/tr4410-settings.desktop"
grep -qx 'Categories=Settings;HardwareSettings;' "$assets/tr4410-settings.desktop"
grep -qx 'Exec=tr4410-settings' "$assets/tr4410-settings.desktop"
grep -qx 'Icon=tr4410-settings' "$assets/tr4410-settings.desktop"

appstreamcli validate --no-net --pedantic "$assets/$appstream_id.metainfo.xml"
grep -q "<id>$appstream_id</id>" "$assets/$appstream_id.metainfo.xml"
grep -q '<launchable type="desktop-id">tr4410-settings.desktop</launchable>' \
    "$assets/$appstream_id.metainfo.xml"
echo "desktop entry and metadata: ok"
