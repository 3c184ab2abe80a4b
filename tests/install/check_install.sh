#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds its Debian package: every file lands
# where desktops look for it, the installed program runs from there and keeps its
# configuration per user, and the package names its files and its library dependencies.
set -euo pipefail
build=$1
fixture=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
id=org.quorvex.Quorvex

cmake --install "$build" --prefix "$work/usr" >/dev/null
for f in bin/quorvex share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/man/man1/quorvex.1 share/icons/hicolor/scalable/apps/$id.svg \
    share/icons/hicolor/16x16/apps/$id.png share/icons/hicolor/256x256/apps/$id.png; do
    [ -s "$work/usr/$f" ] || { echo "missing after install: $f"; fail=1; }
done
extra=$(cd "$work/usr" && find . -path ./share -prune -o -type f -print | grep -vx './bin/quorvex' || true)
[ -z "$extra" ] || { echo "unexpected installed files: $extra"; fail=1; }

# The installed program, run by root whose bin folder is writable: nothing beside it.
mkdir -p "$work/home"
version=$(env -u XDG_CONFIG_HOME HOME="$work/home" "$work/usr/bin/quorvex" --version)
case $version in Quorvex*) ;; *) echo "--version printed: $version"; fail=1 ;; esac
summary=$(env -u XDG_CONFIG_HOME HOME="$work/home" "$work/usr/bin/quorvex" --summary "$fixture")
printf '%s\n' "$summary" | grep -q '^Files Quantity: ' || { echo "--summary printed: $summary"; fail=1; }
[ "$(ls "$work/usr/bin")" = quorvex ] || { echo "written beside the program: $(ls "$work/usr/bin")"; fail=1; }
[ -s "$work/home/.config/quorvex/KestrixFAConfig.xml" ] || { echo "no per-user configuration"; fail=1; }

# The package, from the same build.
(cd "$build" && cpack -G DEB -B "$work/pkg" >/dev/null)
deb=$(ls "$work"/pkg/*.deb)
info=$(dpkg-deb --info "$deb")
depends=$(printf '%s\n' "$info" | sed -n 's/^ Depends: //p')
for lib in libqt6widgets6 libqt6charts6 libpugixml1v5 libxlsxwriter libc6 libstdc++6; do
    case $depends in *$lib*) ;; *) echo "package does not depend on $lib: $depends"; fail=1 ;; esac
done
contents=$(dpkg-deb --contents "$deb")
for f in ./usr/bin/quorvex ./usr/share/applications/$id.desktop ./usr/share/metainfo/$id.metainfo.xml \
    ./usr/share/man/man1/quorvex.1 ./usr/share/icons/hicolor/48x48/apps/$id.png; do
    printf '%s\n' "$contents" | grep -q " $f\$" || { echo "not in the package: $f"; fail=1; }
done
exit $fail
