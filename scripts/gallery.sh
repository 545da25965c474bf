#!/usr/bin/env bash
# Renders a gallery of typeset equations with the real fonts into build/gallery/*.png (or OUT_DIR),
# for looking at the typesetting by eye. Builds the vexmar executable first when it is missing.
#   bash scripts/gallery.sh [BUILD_DIR [OUT_DIR]]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/check}
vexmar="$build/src/app/vexmar"
if [ ! -x "$vexmar" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target vexmar
fi
out=${2:-build/gallery}
mkdir -p "$out"

n() { printf 'num[%s,"%s"]' "$1" "$1"; } # a number in text form

# name | text form of the tree
gallery=(
  "fractions|equal[char[y],over[over[char[a],char[b]],plus[char[c],over[$(n 1),char[d]]]]]"
  "roots|plus[sqrt[char[x]],sqrt[plus[power[char[a],$(n 2)],power[char[b],$(n 2)]],$(n 3)],sqrt[over[char[x],char[y]],char[n]]]"
  "sum|equal[sum[over[$(n 1),power[char[n],$(n 2)]],equal[char[n],$(n 1)],char[infty]],over[power[char[pi],$(n 2)],$(n 6)]]"
  "integral|equal[int[times[power[char[x],$(n 2)],diff[char[x]]],$(n 0),$(n 1)],over[$(n 1),$(n 3)]]"
  "big-operators|list[prod[char[a],equal[char[i],$(n 1)],char[n]],oint[times[char[f],diff[char[z]]]],bigcup[char[A],char[i],prompt[]],sum[(*i1i*)char[x],char[k],char[m]]]"
  "matrix|equal[char[A],matrix[2,2,$(n 1),$(n 2),$(n 3),$(n 4)]]"
  "matrix-3x3|times[matrix[3,3,over[$(n 1),$(n 2)],$(n 0),$(n 0),$(n 0),power[char[x],$(n 2)],$(n 0),$(n 0),$(n 0),sqrt[char[y]]],matrix[3,1,char[a],char[b],char[c]]]"
  "decorations|list[char[v,1,0,0,0,0],char[x,2,0,0,0,0],char[A,2,0,0,0,0],char[x,3,0,0,0,0],char[x,0,0,1,0,0],char[y,0,0,2,0,0],char[f,0,2,0,0,0],char[x,0,0,0,1,0],char[x,0,0,0,0,1],char[x,0,0,0,0,2]]"
  "greek|equal[plus[times[char[alpha],char[beta]],char[Gamma],char[Delta],char[theta]],times[char[pi],power[char[omega],$(n 2)],char[Omega],char[lambda],char[Sigma],char[phi],char[psi]]]"
  "function-powers|equal[plus[power[sin[char[x]],$(n 2)],power[cos[char[x]],$(n 2)]],$(n 1)]"
  "functions|list[ln[char[x]],exp[char[x]],tan[id[plus[char[a],char[b]]]],log[char[x],$(n 2)],sinh[times[$(n 2),char[x]]]]"
  "times-glyph|list[times[$(n 2),$(n 3)],times[$(n 2),char[x],char[y]],times[$(n 2),power[$(n 10),$(n 5)]],times[sqrt[char[x]],char[y]]]"
  "signs|equal[plus[char[a],minus[char[b]],pm[char[c]],mp[char[d]]],minus[char[e]]]"
  "parentheses|equal[times[char[a],plus[char[b],char[c]]],power[plus[char[x],char[y]],$(n 2)],times[id[over[char[a],char[b]]],char[c]]]"
  "delimiters|list[abs[char[x]],norm[char[v]],floor[over[char[x],$(n 2)]],ceil[char[y]],dangle[char[a]],bket[char[a],char[b]],cmut[char[A],char[B]],choice[char[n],char[k]]]"
  "tall-delimiters|equal[abs[over[char[a],char[b]]],id[over[plus[char[a],char[b]],char[c]]],norm[matrix[2,1,char[x],char[y]]]]"
  "relations|list[leq[char[a],char[b]],notequal[char[x],char[y]],Rightarrow[char[p],char[q]],in[char[x],char[A]],approx[char[pi],$(n 3.14)]]"
  "limit|equal[lim[over[sin[char[x]],char[x]],rightarrow[char[x],$(n 0)]],$(n 1)]"
  "derivatives|equal[function[optotal[char[x]],power[char[x],$(n 3)]],times[$(n 3),power[char[x],$(n 2)]],function[oppartial[char[t]],char[f]]]"
  "indices|list[indexes[1,1,char[x],char[i],$(n 2)],power[indexes[1,0,char[x],char[i]],$(n 2)],indexes[2,0,char[a],char[i],char[j]],power[indexes[0,1,char[x],char[j]],$(n 2)],tensor[1,char[T],char[i],char[j]],chem[1,1,1,0,char[C],$(n 6),$(n 12),$(n 2)]]"
  "exponents|list[power[char[e],minus[over[power[char[x],$(n 2)],$(n 2)]]],power[char[x],over[$(n 1),$(n 2)]],power[char[x],power[char[y],power[char[z],char[w]]]]]"
  "scientific|equal[char[N],num[6.02214076e23,\"0\"]]"
  "braces|list[upbrace[plus[char[a],char[b],char[c]]],downbrace[times[char[x],char[y]]],overline[plus[char[z],char[w]]],fact[char[n]],dagger[char[A]],ast[char[z]]]"
  "prefix-symbols|list[diver[char[F]],curl[char[F]],lap[char[u]],box[char[phi]],partial[char[x]],forall[char[x]],neg[char[p]],grad[char[f]]]"
)

for entry in "${gallery[@]}"; do
  name=${entry%%|*}
  tree=${entry#*|}
  "$vexmar" render-equation '' --start "$tree" -o "$out/$name.png"
done

# An equation typed as KEYS: it must come out whole, with no slot left to fill, or the keys no
# longer mean what they were written for (as when the typing habits gave a word a meaning).
typed() { # NAME KEYS [OPTION...]
  local name=$1 keys=$2
  shift 2
  local tree
  tree=$("$vexmar" type "$keys")
  if [[ $tree == *'prompt['* ]]; then
    echo "gallery: $name: the keys '$keys' leave a slot to fill" >&2
    exit 1
  fi
  "$vexmar" render-equation "$keys" "$@" -o "$out/$name.png"
}
# With the caret: a power, a fraction and a root (sqrt typed as a word makes the root, which then
# takes its radicand); a selection; and a long line broken at 300 pixels.
typed typed-with-caret 'y=x^2{Right}+1/2{Right}-sqrt x' --caret
typed selection 'a+b+c+d{S-Left}{S-Left}' --caret
typed broken-line 'y=1+2x+3x^2{Right}+4x^3{Right}+5x^4{Right}+6x^5{Right}+7x^6{Right}+8x^7{Right}+9x^8' \
  --wrap 300
echo "gallery: $(ls "$out"/*.png | wc -l) images in $out"
