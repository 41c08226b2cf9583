#!/usr/bin/env bash
# Checks that scripts/bootstrap.sh installs everything a configured build found: every Debian
# package owning a CMake package configuration file the configure step read (the <Name>_DIR
# entries of the CMake cache) must be in bootstrap's list or be pulled in by a listed package
# (its recursive Depends and Pre-Depends, alternatives and virtual packages included). A fresh
# machine that runs bootstrap then configures the same way.
#
# Usage: scripts/check_bootstrap_deps.sh [BUILD_DIR]   (default: build)
#        KUVA_BOOTSTRAP_SCRIPT=other.sh checks another package list.
# Exits 1 naming each missing package; 0 when all are covered (or when dpkg is not available).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
cache="$build/CMakeCache.txt"
if [ ! -f "$cache" ]; then
  echo "check_bootstrap_deps: $cache not found; configure first" >&2
  exit 2
fi
if ! command -v dpkg >/dev/null || ! command -v dpkg-query >/dev/null; then
  echo "check_bootstrap_deps: not a Debian system, nothing checked"
  exit 0
fi

# The package list of bootstrap.sh (its PACKAGES=( ... ) array).
bootstrap=${KUVA_BOOTSTRAP_SCRIPT:-scripts/bootstrap.sh}
eval "$(sed -n '/^PACKAGES=(/,/^)/p' "$bootstrap")"
if [ "${#PACKAGES[@]}" -eq 0 ]; then
  echo "check_bootstrap_deps: no PACKAGES list in scripts/bootstrap.sh" >&2
  exit 2
fi

# Files the configure step read: the configuration file in each <Name>_DIR (only files under
# /usr can belong to a Debian package).
shopt -s nullglob
files=()
while IFS= read -r dir; do
  [ -d "$dir" ] || continue
  for f in "$dir"/*Config.cmake "$dir"/*-config.cmake; do files+=("$f"); done
done < <(sed -n 's/^[A-Za-z0-9_]*_DIR:PATH=\(\/usr\/.*\)$/\1/p' "$cache")

if [ "${#files[@]}" -eq 0 ]; then
  echo "check_bootstrap_deps: no package configuration files in $cache"
  exit 0
fi

# Owner of each file, in one dpkg call (it prints "pkg[:arch][, pkg2...]: path" per file).
declare -A owner_of=() owned=()
while IFS= read -r line; do
  path=${line##*: }
  owned["$path"]=1
  pkgs=${line%%: /*}
  for p in ${pkgs//,/ }; do owner_of["${p%%:*}"]=1; done
done < <(dpkg -S "${files[@]}" 2>/dev/null | grep -v '^diversion by' || true)
for f in "${files[@]}"; do
  [ -n "${owned[$f]:-}" ] || owner_of["?$f"]=1
done

# Bootstrap's packages and everything they depend on, recursively, over the installed
# packages (one dpkg-query; a virtual package stands for each installed package providing it).
declare -A covered=()
while IFS= read -r name; do covered["$name"]=1; done < <(
  dpkg-query -W -f='${db:Status-Abbrev}\t${Package}\t${Provides}\t${Depends}, ${Pre-Depends}\n' |
    awk -F'\t' -v roots="${PACKAGES[*]}" '
      function names(list, out,    n, parts, i, w) {
        gsub(/\([^)]*\)/, "", list)
        gsub(/:[a-z0-9]+/, "", list)
        n = split(list, parts, /[,|]/)
        for (i = 1; i <= n; i++) { w = parts[i]; gsub(/[ \t]/, "", w); if (w != "") out[++out[0]] = w }
      }
      $1 ~ /^ii/ {
        pkg = $2; deps[pkg] = $4
        delete prov; prov[0] = 0; names($3, prov)
        for (i = 1; i <= prov[0]; i++) providers[prov[i]] = providers[prov[i]] " " pkg
      }
      END {
        n = split(roots, queue, " ")
        for (i = 1; i <= n; i++) seen[queue[i]] = 1
        for (head = 1; head <= n; head++) {
          p = queue[head]
          if (p in providers) {
            m = split(providers[p], ps, " ")
            for (j = 1; j <= m; j++) if (!(ps[j] in seen)) { seen[ps[j]] = 1; queue[++n] = ps[j] }
          }
          if (!(p in deps)) continue
          delete d; d[0] = 0; names(deps[p], d)
          for (j = 1; j <= d[0]; j++) if (!(d[j] in seen)) { seen[d[j]] = 1; queue[++n] = d[j] }
        }
        for (p in seen) print p
      }')

missing=()
for p in "${!owner_of[@]}"; do
  case "$p" in
    \?*) missing+=("${p#?} (owned by no package)") ;;
    *) [ -n "${covered[$p]:-}" ] || missing+=("$p") ;;
  esac
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "check_bootstrap_deps: the configure step used files of packages that" \
    "scripts/bootstrap.sh does not install (add them to its PACKAGES list):" >&2
  printf '  %s\n' "${missing[@]}" | sort >&2
  exit 1
fi
echo "check_bootstrap_deps: ${#owner_of[@]} packages used by the configure step, all installed by bootstrap"
