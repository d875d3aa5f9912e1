#!/usr/bin/perl
# Reference answers from Perl's own engine, in regex-probe's line format:
#   OP<TAB>FLAGS<TAB>PATTERN<TAB>SUBJECT[<TAB>LIMIT]  ->  one result line.
# Only the flags i, m, s, x (1, 4, 8, 0x200) are understood; control escapes
# are Perl's native meaning, so requests should set 0x100 when they use them.
use strict;
use warnings;
no warnings 'regexp';
use bytes;

sub unescape {
  my ($s) = @_;
  $s =~ s/\\(x([0-9A-Fa-f]{2})|.)/
    defined $2 ? chr(hex($2)) : $1 eq 't' ? "\t" : $1 eq 'n' ? "\n" : $1 eq 'r' ? "\r"
    : $1 eq '\\' ? '\\' : "\\$1"/ges;
  return $s;
}

sub escape {
  my ($s) = @_;
  $s =~ s/([\\\t\n\r]|[^\x20-\x7e])/
    $1 eq '\\' ? '\\\\' : $1 eq "\t" ? '\t' : $1 eq "\n" ? '\n' : $1 eq "\r" ? '\r'
    : sprintf('\\x%02x', ord($1))/ge;
  return $s;
}

$| = 1;
while (my $line = <STDIN>) {
  chomp $line;
  my ($op, $flags, $pat, $subj, $limit) = split /\t/, $line, -1;
  $pat = unescape($pat);
  $subj = unescape($subj);
  my $mods = '';
  $mods .= 'i' if $flags & 1;
  $mods .= 'm' if $flags & 4;
  $mods .= 's' if $flags & 8;
  $mods .= 'x' if $flags & 0x200;
  my $re = eval { qr/(?$mods)$pat/ };
  if (!defined $re) {
    print "error\tperl\n";
    next;
  }
  if ($op eq 'match') {
    if ($subj =~ $re) {
      my @f;
      for my $i (0 .. $#+) {
        push @f, defined $-[$i] ? "$-[$i],$+[$i]" : '-';
      }
      print join("\t", 'match', 1, @f), "\n";
    } else {
      print "match\t0\n";
    }
  } elsif ($op eq 'count') {
    my $n = 0;
    $n++ while $subj =~ /$re/g;
    print "count\t$n\n";
  } elsif ($op eq 'split') {
    my @parts = split $re, $subj, ($limit // 0);
    print join("\t", 'split', scalar(@parts), map { escape(defined $_ ? $_ : '') } @parts), "\n";
  }
}
