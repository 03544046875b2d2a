# The benchmarks' corpus maker, sourced by the scripts beside it.

# Writes COUNT files of about SIZE bytes into FOLDER: CR LF lines of 3 to 14
# words, about one line in eight holding "foo".
make_corpus() {
  local folder="$1" count="$2" size="$3"
  mkdir -p "$folder"
  perl -e '
    my ($folder, $count, $size) = @ARGV;
    srand(20240611);
    my @words = qw(lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod
                   tempor incididunt ut labore et dolore magna aliqua soubor zmena text);
    for my $n (1 .. $count) {
      open(my $out, ">:raw", sprintf("%s/file%05d.txt", $folder, $n)) or die $!;
      my $written = 0;
      my @chunk;
      while ($written < $size) {
        my @line = map { $words[rand @words] } 1 .. 3 + int(rand 12);
        $line[rand @line] = "foo" if rand() < 0.125;
        my $text = join(" ", @line) . "\r\n";
        $written += length $text;
        push @chunk, $text;
        if (@chunk >= 4096) { print $out @chunk; @chunk = (); }
      }
      print $out @chunk;
      close $out;
    }' "$folder" "$count" "$size"
}
