#!/usr/bin/env bash
# Rebuilds the log and archive fixtures in this folder. The results are committed; tests never run
# this script. Needs bash, iconv (glibc), Debian's lha (jlha-utils, with java and its jLHA library)
# and openssl (for the fixed pseudo-random bytes). Run it from anywhere: ./make-fixtures.sh
#
# The logs are written below in UTF-8 in a small source form and converted to code page 932:
#   @number|ID|handle|title|room|yy/mm/dd|hh:mm|commented-on number or -
#   body lines ...
# The handle is padded to 16 bytes after conversion, so the columns hold in Shift-JIS bytes.
# Every file gets a fixed time stamp so that a rerun gives the same archives byte for byte.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stamp='1997-06-01 12:00:00'

sjis() { iconv -f UTF-8 -t CP932; }

# Source form on stdin -> log text in UTF-8 with LF line ends on stdout.
format_log() {
  local line num id handle title room date time comment pad
  while IFS= read -r line; do
    if [[ $line == @* ]]; then
      IFS='|' read -r num id handle title room date time comment <<<"${line#@}"
      pad=$((16 - $(printf '%s' "$handle" | sjis | wc -c)))
      if ((pad < 0)); then
        echo "handle longer than 16 bytes: $handle" >&2
        exit 1
      fi
      printf '%05d/%05d %s  %s%*s%s\n' "$((10#$num))" "$((10#$num))" "$id" "$handle" "$pad" '' "$title"
      printf '(%s)   %s %s' "$room" "$date" "$time"
      [[ $comment != - ]] && printf '  %05d' "$((10#$comment))"
      printf '\n'
    else
      printf '%s\n' "$line"
    fi
  done
}

# write_log FILE [lf] < source: a Shift-JIS log with CR LF line ends (LF with "lf").
write_log() {
  if [[ ${2:-} == lf ]]; then
    format_log | sjis >"$1"
  else
    format_log | sjis | LC_ALL=C sed 's/$/\r/' >"$1"
  fi
}

# Fixed pseudo-random bytes: the same file on every run.
fixed_bytes() { # count key
  head -c "$1" /dev/zero |
    openssl enc -aes-128-ctr -K "$2" -iv 00000000000000000000000000000000
}

# Little-endian unsigned integer of n bytes at an offset of a file.
le_uint() { # file offset n
  local v=0 i b
  local -a bytes
  read -r -a bytes < <(od -An -tu1 -j "$2" -N "$3" "$1")
  for ((i = ${#bytes[@]} - 1; i >= 0; i--)); do
    b=${bytes[i]}
    v=$((v * 256 + b))
  done
  echo "$v"
}

# lzh ARCHIVE LEVEL MEMBER...: an archive at a header level, members in the given order.
# "y" stores the member names in Shift-JIS (the names on disk here are UTF-8).
lzh() {
  local archive=$1 level=$2
  shift 2
  rm -f "$archive"
  (cd "$work" && touch -d "$stamp" "$@" && lha "a${level}y" "$archive" "$@" >/dev/null)
}

# --- Room 5: two consecutive library files, messages 1-12 and 10-20 ------------------------------

room05_part1() {
  cat <<'EOF'
@1|KGH03571|みかん坊|接ぎ木の時期について| 5|96/11/02|21:05|-
はじめまして、みかん坊です。
庭のカラタチ台木にゆずを接ぎ木したいのですが、
時期はいつ頃がよいのでしょうか。
関東の南のほうに住んでいます。
@2|PXQ10066|柚子胡椒|Re:接ぎ木の時期について| 5|96/11/02|23:40|1
みかん坊さん、こんばんは。
接ぎ木は三月下旬から四月上旬が一般的です。
芽が動き出す直前がいちばん活着しやすいですよ。
@3|TNB22817|ゆずの里|実がならない| 5|96/11/03|08:12|-
植えて五年になるのに、まだ一つも実がなりません。
「桃栗三年柿八年、柚子の大馬鹿十八年」と言いますが、
本当に十八年も待つのでしょうか。
@4|KGH03571|みかん坊|Re:接ぎ木の時期について| 5|96/11/03|12:30|2
柚子胡椒さん、ありがとうございます。
春まで待つことにします。
@5|MRA40012|青柚子|Re:実がならない| 5|96/11/03|19:55|3
接ぎ木苗なら三～四年で実がつくことが多いです。
実生（種から育てた木）だと本当に十年以上かかります。
苗の札を確認してみてください。
@6|TNB22817|ゆずの里|Re:実がならない| 5|96/11/04|07:48|5
青柚子さん、札を見たら実生でした……。
気長に待ちます。
@7|HJK55120|ガーデナー花子|アゲハの幼虫| 5|96/11/05|22:10|-
ゆずの葉がアゲハの幼虫に食べられて丸坊主です。
写真をホームページに載せました。
http://www.example.ne.jp/~hanako/ageha.html
皆さんはどう対策していますか。
@8|PXQ10066|柚子胡椒|Re:アゲハの幼虫| 5|96/11/06|00:15|7
見つけしだい手で取っています。
防虫ネットを張ると、成虫が卵を産みにくくなります。
@9|SYZ00731|シトラス|肥料の質問| 5|96/11/07|20:20|-
寒肥には何を使っていますか。
油かすと骨粉を混ぜたものを考えています。
EOF
}

room05_overlap() {
  cat <<'EOF'
@10|MRA40012|青柚子|Re:肥料の質問| 5|96/11/08|21:33|9
うちも油かすと骨粉です。
詳しい配合表を作ったので、欲しい方はメールください。
aoyuzu@example.or.jp
@11|HJK55120|ガーデナー花子|Re:アゲハの幼虫| 5|96/11/09|10:05|8
ネットを張りました。効果ありです！
@12|SYZ00731|シトラス|Re:肥料の質問| 5|96/11/10|18:44|10
配合表ありがとうございました。
さっそく今週末に施してみます。
EOF
}

room05_part2() {
  cat <<'EOF'
@13|KGH03571|みかん坊|台木の選び方| 5|96/11/12|22:01|-
接ぎ木の話の続きです。
nifty:YUZU/MES/05/00002 で教わったとおり春に接ぐつもりですが、
台木はカラタチとユズ実生のどちらがよいでしょう。
@14|PXQ10066|柚子胡椒|Re:台木の選び方| 5|96/11/13|00:30|13
カラタチ台は木が小さくまとまり、実つきも早いです。
鉢植えならカラタチがおすすめです。
@15|TNB22817|ゆずの里|鉢植えの冬越し| 5|96/11/15|19:10|-
寒冷地での鉢植えの冬越しについて教えてください。
去年は寒さで葉が全部落ちてしまいました。
@16|MRA40012|青柚子|Re:鉢植えの冬越し| 5|96/11/16|08:25|15
ゆずは柑橘類の中では寒さに強いほうですが、
鉢植えは根が冷えやすいので、軒下に取り込むと安心です。
@17|KGH03571|みかん坊|Re:台木の選び方| 5|96/11/18|21:47|14
鉢植えにするのでカラタチにします。ありがとうございました。
@18|YZB00001|ゆず会議室管理人|会議室の使い方について| 5|96/11/20|12:00|-
会議室５をご利用の皆さんへ。
発言のタイトルは内容がわかるものにしてください。
過去の発言はライブラリに収録しています。
@19|HJK55120|ガーデナー花子|Re:鉢植えの冬越し| 5|96/11/22|23:59|16
うちは不織布で鉢ごと包んでいます。
@20|TNB22817|ゆずの里|Re:会議室の使い方について| 5|96/11/25|07:30|18
了解しました。
EOF
}

{ room05_part1; room05_overlap; } | write_log "$here/room05a.LOG"
{ room05_overlap; room05_part2; } | write_log "$here/room05b.LOG"
# The same bytes as room05a.LOG under a name that is not .LOG: read as an archive, so it fails.
cp "$here/room05a.LOG" "$here/plain.TXT"

# --- Room 12: the log inside room12.lzh -----------------------------------------------------------

cat <<'EOF' | write_log "$work/ROOM12.LOG"
@1|ABC01234|ゆず味噌|ゆず味噌の作り方|12|97/05/01|20:00|-
ゆず味噌の作り方を紹介します。
材料：ゆずの皮２個分、白味噌２００ｇ、砂糖大さじ４、みりん大さじ２
鍋で味噌と砂糖とみりんを弱火で練り、最後に刻んだ皮を混ぜます。
@2|DEF56789|料理番|Re:ゆず味噌の作り方|12|97/05/01|22:15|1
おいしそうですね。
果汁も入れていいのでしょうか。
@3|ABC01234|ゆず味噌|Re:ゆず味噌の作り方|12|97/05/02|07:30|2
果汁を少し加えると香りが立ちます。
入れすぎると固まりにくくなるので注意です。
@4|GHI13579|ポン酢党|自家製ポン酢|12|97/05/02|19:45|-
ゆずの果汁、醤油、みりん、昆布、かつお節で作っています。
一晩おくと味がなじみます。
@5|JKL24680|はちみつ柚子|柚子茶|12|97/05/03|10:10|-
ｶﾞﾗｽﾋﾞﾝﾆ ﾕｽﾞﾉ ｳｽｷﾞﾘﾄ ﾊﾁﾐﾂｦ ｲﾚﾃ ﾂｹﾙﾀﾞｹﾃﾞｽ｡
ｲｯｼｭｳｶﾝﾃﾞ ﾉﾒﾏｽ｡ ｵﾕﾃﾞ ﾜｯﾃ ﾄﾞｳｿﾞ｡
（古いパソコンから書いているので半角カナですみません）
@6|DEF56789|料理番|Re:自家製ポン酢|12|97/05/03|21:00|4
昆布は何センチくらい入れますか。
@7|GHI13579|ポン酢党|Re:自家製ポン酢|12|97/05/04|21:25|6
醤油１カップに１０センチ角を一枚です。
@8|MNO11111|ゆずジャム|ゆずジャムが苦い|12|97/05/05|15:30|-
皮を入れてジャムを作ったら苦くなりました。
下ゆでは何回すればいいですか。
@9|JKL24680|はちみつ柚子|Re:ゆずジャムが苦い|12|97/05/05|18:40|8
ﾕﾃﾞｺﾎﾞｼｦ 3ｶｲ ｸﾘｶｴｽﾄ ﾆｶﾞﾐｶﾞ ﾇｹﾏｽ｡
@10|ABC01234|ゆず味噌|Re:ゆずジャムが苦い|12|97/05/06|09:05|8
白いわたを取り除くのも効果があります。
@11|PQR22222|kenji|yuzu in English recipes|12|97/05/07|23:10|-
Hello, I am new here.
In English recipes YUZU is often called "yuzu citrus".
Today I made Yuzu Kosho from http://www.example.com/recipes/yuzukosho.htm
@12|MNO11111|ゆずジャム|Re:ゆずジャムが苦い|12|97/05/08|12:00|9
三回ゆでこぼしたら苦みが消えました。
はちみつ柚子さん、ゆず味噌さん、ありがとう。
@13|STU33333|七味|ゆず胡椒を作りました|12|97/05/09|20:30|-
青ゆずの皮と青唐辛子と塩だけで作りました。
唐辛子を刻むときは手袋をしたほうがいいです。目にしみました。
@14|PQR22222|kenji|Re:ゆず胡椒を作りました|12|97/05/09|23:50|13
Mine was too salty. How much salt do you use?
塩の量を教えてください。
@15|STU33333|七味|Re:ゆず胡椒を作りました|12|97/05/10|08:15|14
皮と唐辛子の合計の重さの２割です。
@16|VWX44444|湯豆腐|冷ややっこにゆず|12|97/05/11|19:00|-
冷ややっこにゆずの皮をすりおろしてのせると、
しょうがとは違ったさわやかさがあります。
@17|GHI13579|ポン酢党|Re:冷ややっこにゆず|12|97/05/11|21:40|16
ポン酢をかければ完璧です（笑）
@18|YZA55555|ゆずサワー|ゆずのお酒|12|97/05/12|22:30|-
ゆず酒を漬けました。
ホワイトリカー１．８リットルにゆず１０個、氷砂糖５００ｇです。
@19|DEF56789|料理番|Re:ゆずのお酒|12|97/05/13|00:05|18
何か月くらいで飲めますか。
@20|YZA55555|ゆずサワー|Re:ゆずのお酒|12|97/05/13|07:20|19
三か月ほどで飲めます。
半年たったらゆずを取り出してください。
@21|BCD66666|香りの研究|ゆずの呼び名いろいろ|12|97/05/14|20:00|-
検索の練習を兼ねて、ゆずの書き方を集めてみました。
ゆず　ユズ　柚子　柚　ﾕｽﾞ　ﾕｽﾞ
YUZU　yuzu　Yuzu　yUzU　ＹＵＺＵ　ｙｕｚｕ　Ｙｕｚｕ
ゆずゆず（続けて二回）、ゆずず、ゆ　ず（間に全角空白）
本柚子、花柚子、獅子柚子はどれも「ゆず」の仲間ですが、獅子柚子は文旦の仲間です。
@22|ABC01234|ゆず味噌|Re:ゆずの呼び名いろいろ|12|97/05/14|22:10|21
「柚」一文字で「ゆず」と読ませることもありますね。
@23|EFG77777|ぽんかん|はじめまして|12|97/05/15|12:30|-
はじめまして、ぽんかんです。
ゆずの皮の冷凍保存について質問です。
刻んでから冷凍するのと、丸ごと冷凍するのとではどちらがいいでしょうか。
@24|MNO11111|ゆずジャム|Re:はじめまして|12|97/05/15|18:00|23
刻んで小分けにして冷凍すると、使うときに便利ですよ。
@25|EFG77777|ぽんかん|Re:はじめまして|12|97/05/16|09:45|24
なるほど、小分けにしてみます。
@26|VWX44444|湯豆腐|ゆず釜|12|97/05/17|19:30|-
ゆずの中身をくりぬいて器にする「ゆず釜」を作りました。
中には白和えを入れました。
@27|STU33333|七味|Re:ゆず釜|12|97/05/18|08:00|26
ゆず釜に茶わん蒸しを入れて蒸すのもおすすめです。
@28|JKL24680|はちみつ柚子|Re:柚子茶|12|97/05/19|21:15|5
ﾊﾟｿｺﾝｦ ｶｲｶｴﾏｼﾀ｡ これからは全角で書けます。
柚子茶は韓国の伝統茶でもあるそうです。
@29|YZB00001|ゆず会議室管理人|レシピの投稿について|12|97/05/20|12:00|-
レシピを投稿するときは、材料と分量を最初に書いてください。
長いレシピはライブラリへの登録もご検討ください。
@30|ABC01234|ゆず味噌|Re:レシピの投稿について|12|97/05/21|20:40|29
わかりました。ゆず味噌のレシピを材料から書き直します。
EOF

cat <<'EOF' | sjis | LC_ALL=C sed 's/$/\r/' >"$work/README.TXT"
ＹＵＺＵＢＡＮ　会議室１２「ゆずの料理」過去ログ
=================================================

収録　：会議室１２の発言 1～30（1997年5月1日～5月21日）
ファイル：ROOM12.LOG

このファイルは会議室の過去ログです。
テキストエディタで読むこともできますが、専用のビューアを使うと
発言のつながり（コメントツリー）をたどりながら読むことができます。

発言の著作権は各発言者にあります。
転載される場合は発言者の了解を得てください。

ゆず会議室管理人
EOF

printf 'この書庫には会議室１２の過去ログが入っています。\n' | sjis | LC_ALL=C sed 's/$/\r/' >"$work/はじめに.TXT"

lzh "$here/room12.lzh" 2 ROOM12.LOG README.TXT はじめに.TXT

# Broken archives made from room12.lzh. Its first member is ROOM12.LOG; with a level-2 header the
# header length is the 16-bit value at offset 0 and the compressed size the 32-bit value at 7.
header=$(le_uint "$here/room12.lzh" 0 2)
packed=$(le_uint "$here/room12.lzh" 7 4)
head -c "$((header + packed / 2))" "$here/room12.lzh" >"$here/corrupt.lzh"
cp "$here/room12.lzh" "$here/badcrc.lzh"
flip_at=$((header + packed / 2))
old=$(od -An -tu1 -j "$flip_at" -N 1 "$here/badcrc.lzh" | tr -d ' ')
printf "\\$(printf '%03o' $((old ^ 0x55)))" |
  dd of="$here/badcrc.lzh" bs=1 seek="$flip_at" conv=notrunc status=none
fixed_bytes 3000 0123456789abcdef0123456789abcdef >"$here/garbage.lzh"

# --- Room 3: a small log at header levels 1 and 0 --------------------------------------------------

cat <<'EOF' | write_log "$work/ROOM03.LOG"
@1|YZB00001|ゆず会議室管理人|自己紹介をどうぞ|03|96/04/01|00:10|-
会議室３は雑談と自己紹介の部屋です。
どなたでもお気軽にどうぞ。
@2|QRS80808|すだち|はじめまして|03|96/04/01|21:30|1
徳島のすだちです。ゆずの仲間としてよろしくお願いします。
@3|TUV90909|かぼす|Re:はじめまして|03|96/04/02|08:00|2
大分のかぼすです。すだちさん、親戚ですね。
@4|WXY12121|だいだい|ひとこと|03|96/04/03|19:19|-
正月の飾りのだいだいです。普段はROMしています。
@5|QRS80808|すだち|Re:はじめまして|03|96/04/03|22:45|3
かぼすさん、よろしくお願いします。
@6|ZAB34343|シークヮーサー|沖縄から|03|96/04/05|13:00|-
沖縄からアクセスしています。電話代が心配です。
@7|TUV90909|かぼす|Re:沖縄から|03|96/04/05|20:30|6
夜11時からのテレホーダイがおすすめですよ。
@8|YZB00001|ゆず会議室管理人|Re:自己紹介をどうぞ|03|96/04/06|09:00|1
皆さんの自己紹介、ありがとうございます。
EOF
printf 'ＹＵＺＵＢＡＮ　会議室３「雑談と自己紹介」　発言 1～8\n' | sjis | LC_ALL=C sed 's/$/\r/' >"$work/README.TXT"
lzh "$here/room03-lh1.lzh" 1 ROOM03.LOG README.TXT
lzh "$here/room03-lh0.lzh" 0 ROOM03.LOG README.TXT

# --- Archives whose largest member is not a log ----------------------------------------------------

cp "$here/room05a.LOG" "$work/ROOM05.TXT"
size=$(wc -c <"$here/room05a.LOG")
fixed_bytes "$((size * 2))" 00000000000000000000000000000001 >"$work/SETUP.EXE"
fixed_bytes "$((size + 100))" 00000000000000000000000000000002 >"$work/MANUAL.DOC"
lzh "$here/notlog.lzh" 2 ROOM05.TXT SETUP.EXE MANUAL.DOC

# Two members of the same largest size, the non-log one first: the first stays chosen, so the load
# fails. Were the later one chosen, the log would load.
fixed_bytes "$size" 00000000000000000000000000000003 >"$work/EQUAL.EXE"
cp "$here/room05a.LOG" "$work/EQUAL.LOG"
lzh "$here/tie.lzh" 2 EQUAL.EXE EQUAL.LOG

# --- Every compression method, header level and directory names -----------------------------------

# The lha command line offers neither -lh4- nor directory names in every level, so these archives
# are written through the library behind it (jLHA): MakeLzh OUT LEVEL METHOD[@LEVEL]:NAME=FILE...
# (a level after the method is that member's own). Names are stored in code page 932; every
# member gets the same fixed time stamp (in UTC).
cat >"$work/MakeLzh.java" <<'EOF'
import java.io.File;
import java.io.FileOutputStream;
import java.nio.file.Files;
import java.util.Date;
import java.util.Properties;
import jp.gr.java_conf.dangan.util.lha.LhaHeader;
import jp.gr.java_conf.dangan.util.lha.LhaOutputStream;

public class MakeLzh {
  public static void main(String[] args) throws Exception {
    Properties props = new Properties();
    props.setProperty("lha.encoding", "Windows-31J");
    int level = Integer.parseInt(args[1]);
    try (LhaOutputStream out = new LhaOutputStream(new FileOutputStream(args[0]), props)) {
      for (int i = 2; i < args.length; i++) {
        String spec = args[i].substring(0, args[i].indexOf(':'));
        String[] pair = args[i].substring(spec.length() + 1).split("=", 2);
        String[] method = spec.split("@", 2);
        LhaHeader header = new LhaHeader(pair[0], new Date(865166400000L));
        header.setHeaderLevel(method.length > 1 ? Integer.parseInt(method[1]) : level);
        header.setCompressMethod(method[0]);
        out.putNextEntry(header);
        out.write(Files.readAllBytes(new File(pair[1]).toPath()));
        out.closeEntry();
      }
    }
  }
}
EOF
jlha() { java -Duser.timezone=UTC -cp /usr/share/java/jlha.jar "$work/MakeLzh.java" "$@"; }

# About 12 kB of text: room 5's first log, 8 kB of base64 lines (hardly any matches, so several
# Huffman blocks), the log again (matches reaching back 10 kB: beyond -lh5-'s dictionary).
{
  cat "$here/room05a.LOG"
  fixed_bytes 6000 00000000000000000000000000000004 | base64 -w 76 | LC_ALL=C sed 's/$/\r/'
  cat "$here/room05a.LOG"
} >"$work/MIXED.TXT"
# The same with 22 kB of base64: more symbols than the encoder puts into one Huffman block.
{
  cat "$here/room05a.LOG"
  fixed_bytes 16000 00000000000000000000000000000005 | base64 -w 76 | LC_ALL=C sed 's/$/\r/'
  cat "$here/room05a.LOG"
} >"$work/BLOCKS.TXT"
# About 87 kB, nearly all of it long matches.
for i in $(seq 1 40); do
  printf 'copy %d\r\n' "$i"
  cat "$here/room05a.LOG"
done >"$work/REPEAT.TXT"
: >"$work/EMPTY.TXT"
jlha "$here/methods.lzh" 2 -lh4-:MIXED4.TXT="$work/MIXED.TXT" -lh5-:MIXED5.TXT="$work/MIXED.TXT" \
  -lh6-:MIXED6.TXT="$work/MIXED.TXT" -lh7-:MIXED7.TXT="$work/MIXED.TXT" \
  -lh5-:EMPTY.TXT="$work/EMPTY.TXT" -lh7-:REPEAT.TXT="$work/REPEAT.TXT" \
  -lh7-:BLOCKS.TXT="$work/BLOCKS.TXT"

# Room 5's first log under directory names, one archive per header level and method.
jlha "$here/dirs-l0.lzh" 0 -lh6-:LOGS/ROOM05.LOG="$here/room05a.LOG" \
  -lh5-:LOGS/README.TXT="$work/README.TXT"
jlha "$here/dirs-l1.lzh" 1 -lh7-:LOGS/ROOM05.LOG="$here/room05a.LOG" \
  -lh5-:LOGS/ゆず/README.TXT="$work/README.TXT"
jlha "$here/dirs-l2.lzh" 2 -lh5-:README.TXT="$work/README.TXT" \
  -lh4-:LOGS/ゆず/ROOM05.LOG="$here/room05a.LOG"

# The older methods, which libarchive lists but cannot decode: -lh1- (dynamic Huffman, 4 kB), the
# test versions' -lh2- (dynamic Huffman, 8 kB) and -lh3- (static Huffman, 8 kB), and LArc's -lzs-
# and -lz5- (LZSS, 2 and 4 kB). LArc wrote level-0 headers only, and libarchive takes its methods
# at no other level, so this archive is level 0. LH1.TXT .. LZ5.TXT hold MIXED.TXT, as
# methods.lzh's members do; LONG.TXT is room 5's log and 34 kB of base64 lines: more than 32768
# symbols (hardly any matches), so the adaptive code of -lh1- is rebuilt on the way.
{
  cat "$here/room05a.LOG"
  fixed_bytes 25000 00000000000000000000000000000006 | base64 -w 76 | LC_ALL=C sed 's/$/\r/'
} >"$work/LONG.TXT"
jlha "$here/oldmethods.lzh" 0 -lh1-:LH1.TXT="$work/MIXED.TXT" -lh2-:LH2.TXT="$work/MIXED.TXT" \
  -lh3-:LH3.TXT="$work/MIXED.TXT" -lzs-:LZS.TXT="$work/MIXED.TXT" -lz5-:LZ5.TXT="$work/MIXED.TXT" \
  -lh1-:LONG.TXT="$work/LONG.TXT"

# Room 5's first log as -lh1- at every header level, and as -lh4- at level 3 under directory names.
jlha "$here/levels.lzh" 0 -lh1-@0:L0.LOG="$here/room05a.LOG" -lh1-@1:L1.LOG="$here/room05a.LOG" \
  -lh1-@2:L2.LOG="$here/room05a.LOG" -lh1-@3:LOGS/L3.LOG="$here/room05a.LOG" \
  -lh4-@3:LOGS/ゆず/LH4.LOG="$here/room05a.LOG"

# Seeds for the LHA fuzz target (fuzz/lha_fuzz.cpp): the archives above, room 3's log in one
# archive of every older method, and that log's compressed data in the target's stream form
# (a byte that picks the method, the size in 3 bytes, the data).
corpus="$here/../../fuzz/corpus/lha_fuzz"
cp "$here/levels.lzh" "$corpus/levels.lzh"
jlha "$corpus/older-room03.lzh" 0 -lh1-:LH1.LOG="$work/ROOM03.LOG" -lh2-:LH2.LOG="$work/ROOM03.LOG" \
  -lh3-:LH3.LOG="$work/ROOM03.LOG" -lzs-:LZS.LOG="$work/ROOM03.LOG" -lz5-:LZ5.LOG="$work/ROOM03.LOG"
stream_seed() { # method pick
  local one="$work/one.lzh" header packed size
  jlha "$one" 0 "$1":A.LOG="$work/ROOM03.LOG"
  header=$(($(le_uint "$one" 0 1) + 2))
  packed=$(le_uint "$one" 7 4)
  size=$(le_uint "$one" 11 4)
  {
    printf "\\$(printf '%03o' "$2")"
    printf "\\$(printf '%03o' $((size & 255)))\\$(printf '%03o' $((size >> 8 & 255)))"
    printf "\\$(printf '%03o' $((size >> 16 & 255)))"
    tail -c +$((header + 1)) "$one" | head -c "$packed"
  } >"$corpus/stream-${1//-/}.bin"
}
stream_seed -lh1- 3
stream_seed -lh2- 4
stream_seed -lh3- 5
stream_seed -lzs- 6
stream_seed -lz5- 7
stream_seed -lh4- 8

# --- Line ends and empty files ---------------------------------------------------------------------

# Every body ends in a double-byte character right before its LF, so a message that loses the byte
# before its line end shows a split character.
cat <<'EOF' | write_log "$here/lf-only.LOG" lf
@1|CDE45454|ゆず湯|冬至のゆず湯| 8|96/12/21|19:00|-
今日は冬至なので、ゆず湯に入りました
@2|FGH56565|湯上がり|Re:冬至のゆず湯| 8|96/12/21|22:30|1
うちは袋に入れて浮かべます。肌がぴりぴりしないように
@3|CDE45454|ゆず湯|Re:冬至のゆず湯| 8|96/12/22|07:15|2
なるほど、次は袋に入れてみます。ありがとう
@4|IJK67676|銭湯好き|銭湯のゆず湯| 8|96/12/23|18:00|-
近所の銭湯でもゆず湯でした
大きな湯船にゆずが百個浮かんでいて壮観
EOF
: >"$here/empty.LOG"

echo "fixtures written to $here"
