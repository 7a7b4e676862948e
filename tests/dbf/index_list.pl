#!/usr/bin/perl
# Lists the keys of a one-tag index file as XBase::Index reads them: one line per
# key, "key TAB record number", in the order the reader walks the tree.
# Usage: index_list.pl FILE TAG TYPE   (TYPE: C for text keys, N for numbers)
use strict;
use warnings;
use XBase::Index;

my ($file, $tag, $type) = @ARGV;
die "usage: $0 FILE TAG TYPE\n" unless defined $type;
my $index = XBase::cdx->new($file, 'tag' => $tag, 'type' => $type)
    or die "cannot open $file: " . XBase::Index->errstr . "\n";
$index->prepare_select;
binmode STDOUT;
while (my ($key, $recno) = $index->fetch) {
    print "$key\t$recno\n";
}
